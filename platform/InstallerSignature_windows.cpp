#include "InstallerSignature.h"

#include <windows.h>

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

namespace
{
    using Verdict = InstallerSignature::Verdict;

    Verdict verdictOfFailure (LONG status)
    {
        switch (status)
        {
            case TRUST_E_NOSIGNATURE:
            case TRUST_E_SUBJECT_FORM_UNKNOWN:
            case TRUST_E_PROVIDER_UNKNOWN:
                return Verdict::noSignature;

            case TRUST_E_BAD_DIGEST:
                return Verdict::badDigest;

            case CERT_E_UNTRUSTEDROOT:
            case CERT_E_CHAINING:
            case CERT_E_UNTRUSTEDTESTROOT:
            case TRUST_E_EXPLICIT_DISTRUST:
                return Verdict::untrustedChain;

            default:
                return Verdict::notVerifiable;
        }
    }

    // The system accepts a chain that ends at a root which only the signed-in user
    // trusts, and any program of that user can add one. The chain is built once
    // more by the machine's own engine, which knows only the roots that
    // administrators put in the machine's store.
    bool endsAtAMachineRoot (PCCERT_CONTEXT certificate)
    {
        CERT_CHAIN_PARA parameters = {};
        parameters.cbSize = sizeof (parameters);
        PCCERT_CHAIN_CONTEXT chain = nullptr;

        // The signature's own certificates (the intermediates) are in the certificate's store.
        if (! CertGetCertificateChain (HCCE_LOCAL_MACHINE, certificate, nullptr, certificate->hCertStore, &parameters,
                                       CERT_CHAIN_CACHE_ONLY_URL_RETRIEVAL, nullptr, &chain))
            return false;

        constexpr DWORD untrusted = CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN |
                                    CERT_TRUST_IS_NOT_SIGNATURE_VALID | CERT_TRUST_IS_EXPLICIT_DISTRUST |
                                    CERT_TRUST_IS_CYCLIC;
        auto endsWell = (chain->TrustStatus.dwErrorStatus & untrusted) == 0;
        CertFreeCertificateChain (chain);
        return endsWell;
    }

    // What a signature that the system accepted says about its signer. The chain
    // is looked at once more: some systems accept a chain that ends at no trusted
    // root, or ends early, when the signature itself is sound.
    Verdict verdictOfSigner (HANDLE state, const juce::String& signer)
    {
        auto provider = WTHelperProvDataFromStateData (state);
        auto providerSigner = provider != nullptr ? WTHelperGetProvSignerFromChain (provider, 0, FALSE, 0) : nullptr;

        if (providerSigner == nullptr || providerSigner->pChainContext == nullptr)
            return Verdict::notVerifiable;

        if (providerSigner->pChainContext->TrustStatus.dwErrorStatus != CERT_TRUST_NO_ERROR)
            return Verdict::untrustedChain;

        auto certificate = WTHelperGetProvCertFromChain (providerSigner, 0);

        if (certificate == nullptr || certificate->pCert == nullptr)
            return Verdict::notVerifiable;

        wchar_t name[256] = {};
        CertGetNameStringW (certificate->pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, 256);

        if (juce::String (name) != signer)
            return Verdict::otherSigner;

        return endsAtAMachineRoot (certificate->pCert) ? Verdict::signedBySigner : Verdict::untrustedChain;
    }
}

InstallerSignature::InstallerSignature (const juce::File& installer, const juce::String& signer)
{
    if (signer.isEmpty())
        return;

    auto path = installer.getFullPathName();

    // Others may read and start it, but not change it, until this object goes.
    auto file = CreateFileW (path.toWideCharPointer(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);

    if (file == INVALID_HANDLE_VALUE)
    {
        verdict = Verdict::notVerifiable;
        return;
    }

    hold = file;

    WINTRUST_FILE_INFO fileInfo = {};
    fileInfo.cbStruct = sizeof (fileInfo);
    fileInfo.pcwszFilePath = path.toWideCharPointer();
    fileInfo.hFile = file;

    WINTRUST_DATA data = {};
    data.cbStruct = sizeof (data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;

    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    auto noWindow = static_cast<HWND> (INVALID_HANDLE_VALUE);
    auto status = WinVerifyTrust (noWindow, &action, &data);
    verdict = status == ERROR_SUCCESS ? verdictOfSigner (data.hWVTStateData, signer) : verdictOfFailure (status);

    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust (noWindow, &action, &data);
}

InstallerSignature::~InstallerSignature()
{
    if (hold != nullptr)
        CloseHandle (hold);
}
