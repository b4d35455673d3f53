#include "UserProcess.h"

// The Linux build runs with the rights of the user who started it.
bool UserProcess::startAsSignedInUser (const juce::File& program) { return program.startAsProcess(); }
