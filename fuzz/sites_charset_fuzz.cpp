// Outside text the transfer layer reads: a sites file (BIDLARK_SITES) and a response's
// Content-Type charset with the body it decodes. The first byte picks which.
#include "app/modules/sites.h"
#include "platform/net/page_charset.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArrayView rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    if (data[0] & 1) {
        (void)sites::checkSitesText(rest);
    } else {
        // "Content-Type value" LF body
        const qsizetype lf = rest.indexOf('\n');
        const QByteArrayView header = lf < 0 ? rest : rest.first(lf);
        const QByteArrayView body = lf < 0 ? QByteArrayView() : rest.sliced(lf + 1);
        const QString text = platform::net::DecodePage(body, platform::net::ContentTypeCharset(header));
        // Without any declaration a page is Windows-1252: one character per byte.
        if (platform::net::ContentTypeCharset(header).isEmpty() &&
            platform::net::DeclaredCharset(body).isEmpty() && text.size() != body.size())
            __builtin_trap();
    }
    return 0;
}
