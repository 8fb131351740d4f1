#include "engine/JxlCodec.h"

#include <array>
#include <cmath>
#include <jxl/decode.h>
#include <jxl/decode_cxx.h>
#include <jxl/encode.h>
#include <jxl/encode_cxx.h>
#include <jxl/thread_parallel_runner.h>
#include <jxl/thread_parallel_runner_cxx.h>
#include <memory>
#include <string>
#include <vector>

namespace quillmorph {

using vips::VError;
using vips::VImage;
using vips::VTarget;

namespace {

constexpr int kEffort = 7;

JxlThreadParallelRunnerPtr runner() {
    JxlThreadParallelRunnerPtr made =
        JxlThreadParallelRunnerMake(nullptr, size_t(std::max(1, vips_concurrency_get())));
    if (!made)
        throw VError("libjxl could not start its threads");
    return made;
}

void check(bool failed, const char* what) {
    if (failed)
        throw VError(std::string("JPEG XL: ") + what + " failed");
}

// The picture as 8-bit bands libjxl takes, its grey kept as one band.
VImage asEightBit(const VImage& image) {
    VImage out = image;
    if (out.bands() == 2 || out.bands() > 3)
        out = out.extract_band(0, VImage::option()->set("n", out.bands() == 2 ? 1 : 3));
    if (out.format() != VIPS_FORMAT_UCHAR)
        out = out.cast(VIPS_FORMAT_UCHAR);
    return out;
}

void describe(JxlEncoder* encoder, const VImage& image) {
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = uint32_t(image.width());
    info.ysize = uint32_t(image.height());
    info.bits_per_sample = 8;
    info.num_color_channels = uint32_t(image.bands());
    info.uses_original_profile = JXL_FALSE; // lossy in XYB, as jxlsave below distance 0
    check(JxlEncoderSetBasicInfo(encoder, &info) != JXL_ENC_SUCCESS, "JxlEncoderSetBasicInfo");
    if (image.get_typeof(VIPS_META_ICC_NAME) != 0) {
        size_t size = 0;
        const void* icc = image.get_blob(VIPS_META_ICC_NAME, &size);
        check(JxlEncoderSetICCProfile(encoder, static_cast<const uint8_t*>(icc), size) !=
                  JXL_ENC_SUCCESS,
              "JxlEncoderSetICCProfile");
        return;
    }
    JxlColorEncoding srgb;
    JxlColorEncodingSetToSRGB(&srgb, image.bands() == 1 ? JXL_TRUE : JXL_FALSE);
    check(JxlEncoderSetColorEncoding(encoder, &srgb) != JXL_ENC_SUCCESS,
          "JxlEncoderSetColorEncoding");
}

void putEncoded(JxlEncoder* encoder, const VTarget& target) {
    std::vector<uint8_t> buffer(size_t(64) * 1024);
    JxlEncoderStatus status = JXL_ENC_NEED_MORE_OUTPUT;
    while (status == JXL_ENC_NEED_MORE_OUTPUT) {
        uint8_t* next = buffer.data();
        size_t room = buffer.size();
        status = JxlEncoderProcessOutput(encoder, &next, &room);
        check(status == JXL_ENC_ERROR, "JxlEncoderProcessOutput");
        if (vips_target_write(target.get_target(), buffer.data(), buffer.size() - room) != 0)
            throw VError();
    }
    if (vips_target_end(target.get_target()) != 0)
        throw VError();
}

struct Layout {
    VipsBandFormat format;
    JxlDataType type;
    int sampleBytes;
};

Layout layoutOf(const JxlBasicInfo& info) {
    if (info.exponent_bits_per_sample > 0 || info.alpha_exponent_bits > 0)
        return {VIPS_FORMAT_FLOAT, JXL_TYPE_FLOAT, 4};
    if (info.bits_per_sample > 8)
        return {VIPS_FORMAT_USHORT, JXL_TYPE_UINT16, 2};
    return {VIPS_FORMAT_UCHAR, JXL_TYPE_UINT8, 1};
}

VipsInterpretation interpretationOf(uint32_t colours, VipsBandFormat format) {
    if (colours == 1)
        return format == VIPS_FORMAT_USHORT ? VIPS_INTERPRETATION_GREY16 : VIPS_INTERPRETATION_B_W;
    if (colours == 3) {
        if (format == VIPS_FORMAT_USHORT)
            return VIPS_INTERPRETATION_RGB16;
        return format == VIPS_FORMAT_FLOAT ? VIPS_INTERPRETATION_scRGB : VIPS_INTERPRETATION_sRGB;
    }
    return VIPS_INTERPRETATION_MULTIBAND;
}

// A memory image of the decoder's size and layout, its pixels not yet written.
VImage blankImage(const JxlBasicInfo& info, const JxlPixelFormat& pixels, const Layout& layout) {
    VImage image(vips_image_new_memory());
    vips_image_init_fields(image.get_image(), int(info.xsize), int(info.ysize),
                           int(pixels.num_channels), layout.format, VIPS_CODING_NONE,
                           interpretationOf(info.num_color_channels, layout.format), 1.0, 1.0);
    if (vips_image_write_prepare(image.get_image()) != 0)
        throw VError();
    return image;
}

} // namespace

double jxlDistanceForQuality(int quality) {
    // libvips' own rough match of libjpeg's qualities.
    if (quality >= 30)
        return 0.1 + (100 - quality) * 0.09;
    return 6.24 + std::pow(2.5, (30 - quality) / 5.0) / 6.25;
}

void writeJxl(const VImage& image, const VTarget& target, int quality) {
    const VImage eightBit = asEightBit(image);
    size_t size = 0;
    const std::unique_ptr<void, decltype(&g_free)> pixels(eightBit.write_to_memory(&size), &g_free);
    const JxlThreadParallelRunnerPtr threads = runner();
    const JxlEncoderPtr encoder = JxlEncoderMake(nullptr);
    check(!encoder, "JxlEncoderCreate");
    check(JxlEncoderSetParallelRunner(encoder.get(), JxlThreadParallelRunner, threads.get()) !=
              JXL_ENC_SUCCESS,
          "JxlEncoderSetParallelRunner");
    describe(encoder.get(), eightBit);
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder.get(), nullptr);
    check(!settings ||
              JxlEncoderFrameSettingsSetOption(settings, JXL_ENC_FRAME_SETTING_DECODING_SPEED, 0) !=
                  JXL_ENC_SUCCESS ||
              JxlEncoderSetFrameDistance(settings, float(jxlDistanceForQuality(quality))) !=
                  JXL_ENC_SUCCESS ||
              JxlEncoderFrameSettingsSetOption(settings, JXL_ENC_FRAME_SETTING_EFFORT, kEffort) !=
                  JXL_ENC_SUCCESS ||
              JxlEncoderSetFrameLossless(settings, JXL_FALSE) != JXL_ENC_SUCCESS,
          "the frame settings");
    const JxlPixelFormat format{uint32_t(eightBit.bands()), JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    check(JxlEncoderAddImageFrame(settings, &format, pixels.get(), size) != JXL_ENC_SUCCESS,
          "JxlEncoderAddImageFrame");
    JxlEncoderCloseInput(encoder.get());
    putEncoded(encoder.get(), target);
}

bool looksLikeJxl(const QByteArray& head) {
    const JxlSignature kind =
        JxlSignatureCheck(reinterpret_cast<const uint8_t*>(head.constData()), size_t(head.size()));
    return kind == JXL_SIG_CODESTREAM || kind == JXL_SIG_CONTAINER;
}

DecodedJxl decodedJxl(const QByteArray& bytes, double maxPixels, double maxRowBytes) {
    const JxlThreadParallelRunnerPtr threads = runner();
    const JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    check(!decoder, "JxlDecoderCreate");
    JxlDecoder* const dec = decoder.get();
    // The orientation is applied once, by the engine, from the field.
    check(JxlDecoderSetParallelRunner(dec, JxlThreadParallelRunner, threads.get()) !=
                  JXL_DEC_SUCCESS ||
              JxlDecoderSetKeepOrientation(dec, JXL_TRUE) != JXL_DEC_SUCCESS ||
              JxlDecoderSubscribeEvents(dec, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING |
                                                 JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS ||
              JxlDecoderSetInput(dec, reinterpret_cast<const uint8_t*>(bytes.constData()),
                                 size_t(bytes.size())) != JXL_DEC_SUCCESS,
          "starting the decoder");
    JxlDecoderCloseInput(dec);

    JxlBasicInfo info{};
    JxlPixelFormat pixels{0, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    Layout layout{};
    std::vector<uint8_t> icc;
    DecodedJxl out;
    for (;;) {
        switch (JxlDecoderProcessInput(dec)) {
        case JXL_DEC_BASIC_INFO: {
            check(JxlDecoderGetBasicInfo(dec, &info) != JXL_DEC_SUCCESS, "JxlDecoderGetBasicInfo");
            layout = layoutOf(info);
            pixels.num_channels = info.num_color_channels + info.num_extra_channels;
            pixels.data_type = layout.type;
            const double row = double(info.xsize) * pixels.num_channels * layout.sampleBytes;
            const double mostSide = VIPS_MAX_COORD;
            if (info.xsize >= mostSide || info.ysize >= mostSide ||
                double(info.xsize) * info.ysize > maxPixels || row > maxRowBytes) {
                out.tooLarge = true;
                return out;
            }
            break;
        }
        case JXL_DEC_COLOR_ENCODING: {
            size_t size = 0;
            check(JxlDecoderGetICCProfileSize(dec, &pixels, JXL_COLOR_PROFILE_TARGET_DATA, &size) !=
                      JXL_DEC_SUCCESS,
                  "JxlDecoderGetICCProfileSize");
            icc.resize(size);
            check(JxlDecoderGetColorAsICCProfile(dec, &pixels, JXL_COLOR_PROFILE_TARGET_DATA,
                                                 icc.data(), icc.size()) != JXL_DEC_SUCCESS,
                  "JxlDecoderGetColorAsICCProfile");
            break;
        }
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            out.image = blankImage(info, pixels, layout);
            VipsImage* const image = out.image.get_image();
            size_t size = 0;
            check(JxlDecoderImageOutBufferSize(dec, &pixels, &size) != JXL_DEC_SUCCESS ||
                      size != size_t(VIPS_IMAGE_SIZEOF_IMAGE(image)) ||
                      JxlDecoderSetImageOutBuffer(dec, &pixels, VIPS_IMAGE_ADDR(image, 0, 0),
                                                  size) != JXL_DEC_SUCCESS,
                  "JxlDecoderSetImageOutBuffer");
            break;
        }
        case JXL_DEC_FULL_IMAGE: {
            // The first frame is the picture; an animation's others are not read.
            VipsImage* const image = out.image.get_image();
            if (!icc.empty())
                vips_image_set_blob_copy(image, VIPS_META_ICC_NAME, icc.data(), icc.size());
            vips_image_set_int(image, VIPS_META_ORIENTATION, int(info.orientation));
            return out;
        }
        case JXL_DEC_NEED_MORE_INPUT:
            throw VError("JPEG XL: the file ends early");
        case JXL_DEC_SUCCESS:
            throw VError("JPEG XL: the file holds no picture");
        case JXL_DEC_ERROR:
            throw VError("JPEG XL: the file is damaged");
        default:
            break;
        }
    }
}

} // namespace quillmorph
