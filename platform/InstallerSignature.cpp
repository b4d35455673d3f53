#include "InstallerSignature.h"

juce::String InstallerSignature::describe (Verdict verdict)
{
    switch (verdict)
    {
        case Verdict::signedBySigner:
            return "signed by the maker";
        case Verdict::notChecked:
            return "not checked";
        case Verdict::noSignature:
            return "unsigned";
        case Verdict::badDigest:
            return "bad digest";
        case Verdict::untrustedChain:
            return "untrusted chain";
        case Verdict::otherSigner:
            return "other signer";
        case Verdict::notVerifiable:
            return "not verifiable";
    }

    return {};
}
