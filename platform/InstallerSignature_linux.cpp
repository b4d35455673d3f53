#include "InstallerSignature.h"

InstallerSignature::InstallerSignature (const juce::File&, const juce::String&) {}

InstallerSignature::~InstallerSignature() = default;
