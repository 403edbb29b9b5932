#include "tools/sandbox-site/tls.h"

#include <openssl/bio.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <stdexcept>

namespace sandbox {

namespace {

void check(bool ok, const char *what)
{
    if (!ok)
        throw std::runtime_error(std::string("test certificate: ") + what);
}

void addExtension(X509 *cert, X509 *issuer, int nid, const char *value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION *ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    check(ext != nullptr, "extension");
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

std::unique_ptr<X509, decltype(&X509_free)> makeCertificate(EVP_PKEY *key, const char *commonName,
    long serial, X509 *issuer, EVP_PKEY *issuerKey, bool authority)
{
    std::unique_ptr<X509, decltype(&X509_free)> cert(X509_new(), &X509_free);
    check(cert != nullptr, "X509_new");
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 30L * 24 * 3600);
    X509_set_pubkey(cert.get(), key);
    X509_NAME *name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
        reinterpret_cast<const unsigned char *>("Bidlark sandbox site"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(
        name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char *>(commonName), -1, -1, 0);
    X509 *signer = issuer ? issuer : cert.get();
    X509_set_issuer_name(cert.get(), X509_get_subject_name(signer));
    if (authority) {
        addExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        addExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
        addExtension(cert.get(), signer, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
        addExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
    }
    check(X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256()) > 0, "X509_sign");
    return cert;
}

} // namespace

TestCertificates makeTestCertificates()
{
    TestCertificates out;
    out.caKey.reset(EVP_EC_gen("P-256"));
    out.serverKey.reset(EVP_EC_gen("P-256"));
    check(out.caKey && out.serverKey, "EVP_EC_gen");
    out.ca = makeCertificate(
        out.caKey.get(), "Bidlark sandbox test authority", 1, nullptr, nullptr, true);
    out.server =
        makeCertificate(out.serverKey.get(), "127.0.0.1", 2, out.ca.get(), out.caKey.get(), false);

    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), &BIO_free);
    check(bio && PEM_write_bio_X509(bio.get(), out.ca.get()) == 1, "PEM_write_bio_X509");
    char *data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    out.caPem.assign(data, static_cast<size_t>(size));
    return out;
}

} // namespace sandbox
