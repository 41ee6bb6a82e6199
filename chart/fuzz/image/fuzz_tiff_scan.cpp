// Opens the bytes as a TIFF file from memory and loads its image (samples,
// embedded ICC profile, transfer function, camera texts); the bytes are also
// read as an ICC profile's tag table.
#include "TiffOpen.h"
#include "chart/Image.h"
#include "chart/ImageMetadata.h"

#include <tiffio.h>

#include <QGuiApplication>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void quietMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

// Images are shrunk to this longer side, which keeps a small file that
// promises a huge image cheap.
constexpr int kMaxSide = 256;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qInstallMessageHandler(quietMessages);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Image holds pixmaps, which need a GUI application. It is kept for the
    // whole run and never destroyed, so its platform objects stay reachable.
    static QGuiApplication* app = new QGuiApplication(*argc, *argv);
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (TIFF* tiff = openTiffFromMemory(data, size)) {
        Image image;
        if (image.loadTiffImage(tiff, kMaxSide) && image.iccLength() > 0 && !image.iccBytes())
            __builtin_trap();
        TIFFClose(tiff);
    }
    std::size_t offset = 0, length = 0;
    if (iccFindTag(data, size, 0x74617267u /* 'targ' */, &offset, &length)
        && (offset > size || length > size - offset))
        __builtin_trap();
    iccIsOwnProfile(data, size);
    iccTargetText(data, size);
    return 0;
}
