#pragma once

#include <juce_core/juce_core.h>

//==============================================================================
/**
    Whether an installer carries its maker's code signature, and a hold on the
    file from the check until the installer has been started.

    Windows: the file is opened so that no one can write, rename or delete it
    while this object lives, and its Authenticode signature is checked by the
    system without a prompt and without asking the network about revocation. It
    counts when its chain ends at a trusted root and its signing certificate's
    name is the signer. Without a signer, and on Linux, which has no such
    signatures, nothing is checked or held: the verdict is notChecked.

    Checking may take a while: never make one on the message thread.
*/
class InstallerSignature
{
public:
    enum class Verdict
    {
        signedBySigner,
        notChecked,
        noSignature,
        badDigest,
        untrustedChain,
        otherSigner,
        notVerifiable
    };

    InstallerSignature (const juce::File& installer, const juce::String& signer);
    ~InstallerSignature();

    Verdict getVerdict() const noexcept { return verdict; }

    /** The verdict in words, for the log. */
    static juce::String describe (Verdict verdict);

private:
    Verdict verdict = Verdict::notChecked;
    void* hold = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InstallerSignature)
};
