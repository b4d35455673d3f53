#pragma once

#include <juce_core/juce_core.h>

/** Whether an installer carries its maker's code signature. Windows: a valid
    Authenticode signature, checked by the system without a prompt and without
    asking the network about revocation, whose chain ends at a trusted root and
    whose signing certificate names the signer. Linux has no such signatures. */
namespace InstallerSignature
{
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

    /** Checks the file; may take a while, so never call it on the message thread. */
    Verdict check (const juce::File& file, const juce::String& signer);

    /** The verdict in words, for the log. */
    juce::String describe (Verdict verdict);
}
