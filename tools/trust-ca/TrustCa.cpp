// Adds a PEM certificate to the machine's trusted root store (LocalMachine\ROOT),
// so that WinINet in a test Wine prefix trusts the stand-in servers; with --user,
// to the signed-in user's own (CurrentUser\ROOT), as any program of the user may.
//
//   trust_ca [--user] CA.pem

#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main (int argc, char* argv[])
{
    auto forUser = argc == 3 && std::string (argv[1]) == "--user";

    if (argc != 2 && ! forUser)
    {
        std::fprintf (stderr, "usage: trust_ca [--user] CA.pem\n");
        return 2;
    }

    auto* path = argv[argc - 1];
    std::ifstream input (path, std::ios::binary);
    std::string pem ((std::istreambuf_iterator<char> (input)), std::istreambuf_iterator<char>());

    DWORD derSize = 0;

    if (pem.empty() ||
        ! CryptStringToBinaryA (pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &derSize, nullptr, nullptr))
    {
        std::fprintf (stderr, "not a PEM certificate: %s\n", path);
        return 1;
    }

    std::vector<BYTE> der (derSize);
    CryptStringToBinaryA (pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &derSize, nullptr, nullptr);

    auto store = CertOpenStore (CERT_STORE_PROV_SYSTEM_A, 0, 0,
                                forUser ? CERT_SYSTEM_STORE_CURRENT_USER : CERT_SYSTEM_STORE_LOCAL_MACHINE, "ROOT");

    if (store == nullptr)
    {
        std::fprintf (stderr, "cannot open the ROOT store\n");
        return 1;
    }

    auto added = CertAddEncodedCertificateToStore (store, X509_ASN_ENCODING, der.data(), derSize,
                                                   CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    CertCloseStore (store, 0);

    if (! added)
    {
        std::fprintf (stderr, "the certificate was not added\n");
        return 1;
    }

    return 0;
}
