// The sandbox's https: a test certificate authority made fresh at every start and a server
// certificate for 127.0.0.1 and localhost signed by it. Clients trust the authority's PEM file,
// which the site writes beside its sites file; nothing needs verification turned off.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>

namespace sandbox {

struct TestCertificates {
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> caKey { nullptr, &EVP_PKEY_free };
    std::unique_ptr<X509, decltype(&X509_free)> ca { nullptr, &X509_free };
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> serverKey { nullptr, &EVP_PKEY_free };
    std::unique_ptr<X509, decltype(&X509_free)> server { nullptr, &X509_free };
    std::string caPem; // the authority, PEM-encoded, for the clients' trust file
};

// Makes both certificates (EC P-256, valid from an hour ago for 30 days). Throws std::runtime_error
// when OpenSSL fails.
TestCertificates makeTestCertificates();

} // namespace sandbox
