#include "platform/cms.h"

#include <lcms2.h>

namespace platform {
namespace cms {

namespace {

void silent(cmsContext, cmsUInt32Number, const char *) {}

std::vector<uint8_t> save(cmsContext ctx, cmsHPROFILE h, const char *description)
{
    std::vector<uint8_t> out;
    if (!h)
        return out;
    cmsMLU *mlu = cmsMLUalloc(ctx, 1);
    if (mlu && cmsMLUsetASCII(mlu, "en", "US", description)) {
        cmsWriteTag(h, cmsSigProfileDescriptionTag, mlu);
        cmsWriteTag(h, cmsSigCopyrightTag, mlu);
    }
    if (mlu)
        cmsMLUfree(mlu);
    cmsUInt32Number size = 0;
    if (cmsSaveProfileToMem(h, nullptr, &size) && size > 0) {
        out.resize(size);
        if (!cmsSaveProfileToMem(h, out.data(), &size))
            out.clear();
        else
            out.resize(size);
    }
    cmsCloseProfile(h);
    return out;
}

template <typename Make>
std::vector<uint8_t> build(Make make, const char *description, double version)
{
    cmsContext ctx = cmsCreateContext(nullptr, nullptr);
    if (!ctx)
        return {};
    cmsSetLogErrorHandlerTHR(ctx, silent);
    cmsHPROFILE h = make(ctx);
    if (h)
        cmsSetProfileVersion(h, version);
    std::vector<uint8_t> out = save(ctx, h, description);
    cmsDeleteContext(ctx);
    return out;
}

}  // namespace

std::vector<uint8_t> make_xyz_profile()
{
    return build([](cmsContext c) { return cmsCreateXYZProfileTHR(c); }, "Generic XYZ Profile",
                 4.3);
}

std::vector<uint8_t> make_lab_profile()
{
    return build([](cmsContext c) { return cmsCreateLab4ProfileTHR(c, cmsD50_xyY()); },
                 "Generic Lab Profile", 4.3);
}

std::vector<uint8_t> make_srgb_profile()
{
    return build([](cmsContext c) { return cmsCreate_sRGBProfileTHR(c); },
                 "sRGB Color Space Profile", 4.3);
}

}  // namespace cms
}  // namespace platform
