// Opens the bytes as an ICC profile (and, with "IIRC", as a DNG camera
// profile) and reads the header, the description and every tag.
#include "colour/Kirr_ColorProfileIF.h"
#include "colour/Kirr_ColorProfile_Win.h"
#include "colour/Kirr_colorLibrary.h"
#include "platform/cms.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    namespace cms = platform::cms;
    cms::Status status;
    std::unique_ptr<cms::Profile> p =
        cms::Profile::open_memory(data, size, cms::Access::read_write, &status);
    if (p) {
        for (uint32_t tag : p->tags()) {
            uint32_t n = 0;
            if (!p->element_size(tag, &n))
                __builtin_trap();
            std::vector<uint8_t> buf(n);
            uint32_t cap = n;
            if (p->read_element(tag, buf.data(), &cap) != cms::Status::ok)
                __builtin_trap();
            Kirr_descriptionFromElement(
                QByteArray(reinterpret_cast<const char *>(buf.data()), int(buf.size())));
        }
        // Rewriting a tag lays the profile out again; it must still open.
        const uint8_t xyz[20] = {'X', 'Y', 'Z', ' '};
        if (p->set_element_size(0x77747074u, 20) == cms::Status::ok
            && p->set_element(0x77747074u, 0, 20, xyz) == cms::Status::ok) {
            if (!cms::Profile::open_memory(p->bytes().data(), p->bytes().size(),
                                           cms::Access::read))
                __builtin_trap();
        }
    }
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    std::unique_ptr<Kirr_ColorProfileIF> profile(Kirr_profileFromData(bytes));
    if (profile) {
        profile->description();
        profile->colorSpace();
        double X, Y, Z;
        profile->readXYZTag(0x77747074u, X, Y, Z);
        quint32 n = 0;
        profile->readTag(0xc5d4u, n, nullptr);  // a camera profile's ColorMatrix1
    }
    return 0;
}
