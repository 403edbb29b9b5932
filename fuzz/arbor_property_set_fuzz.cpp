// The tree control's saved property set: whatever the bytes, the reader either refuses them or
// hands back values the control accepts as they are (extent, style and drop effect in range).
#include "arbor/control/internal/propertyset.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Fonts and pictures are Qt objects: they need a GUI application, never a display.
    static QGuiApplication *app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "arbor_property_set_fuzz";
        static char *argv[] = { name, nullptr };
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
    ComPtr<IStream> stream;
    if (FAILED(platform::com::createStreamOnBytes(
            std::string_view(reinterpret_cast<const char *>(data), size), &stream)))
        return 0;
    arbor::control::PropertySet set;
    if (FAILED(arbor::control::readPropertySet(stream.Get(), set)))
        return 0;
    using namespace arbor::control;
    if (set.extent.cx < 0 || set.extent.cx > kMaxSavedExtent || set.extent.cy < 0 ||
        set.extent.cy > kMaxSavedExtent || set.style > 63 || set.dropEffect < 0 ||
        set.dropEffect > 7 || !isBorderStyle(set.borderStyle) ||
        !isPicturePosition(set.picturePosition) || !isMousePointer(set.mousePointer))
        std::abort();
    return 0;
}
