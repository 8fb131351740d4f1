// Pilot 32: which fields an animated save needs when everything else is stripped.
//   metatest IN OUTDIR
// Loads IN with n=-1, removes every field but libvips' own "vips-*" ones (as quillmorph's
// withOnlyExif does), sets back a chosen subset of page-height / delay / loop, saves GIF and
// WebP and reads back frame count, delays, loop. Also tries delays that are not whole
// centiseconds.
#include <vips/vips8>

#include <cstdio>
#include <string>
#include <vector>

using vips::VImage;

static VImage bare(const VImage& in) {
    VImage out = in.copy();
    gchar** fields = vips_image_get_fields(out.get_image());
    for (gchar** f = fields; *f; ++f)
        if (!g_str_has_prefix(*f, "vips-")) out.remove(*f);
    g_strfreev(fields);
    return out;
}

static std::string describe(const std::string& file) {
    VImage r = VImage::new_from_file(file.c_str(), VImage::option()->set("n", -1));
    std::string s = "pages=" + std::to_string(r.get_typeof("n-pages") ? r.get_int("n-pages") : 1);
    s += " page-height=" + std::to_string(r.get_typeof("page-height") ? r.get_int("page-height") : r.height());
    if (r.get_typeof("delay")) {
        s += " delay=";
        for (int d : r.get_array_int("delay")) s += std::to_string(d) + ",";
    } else s += " delay=none";
    s += " loop=" + (r.get_typeof("loop") ? std::to_string(r.get_int("loop")) : std::string("none"));
    return s;
}

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0])) vips_error_exit(nullptr);
    const std::string in = argv[1], dir = argv[2];
    VImage src = VImage::new_from_file(in.c_str(), VImage::option()->set("n", -1));
    const int ph = src.get_int("page-height");
    const std::vector<int> delay = src.get_array_int("delay");
    const int loop = src.get_int("loop");
    printf("source: %s\n", describe(in).c_str());
    struct Variant { const char* name; bool ph, delay, loop; std::vector<int> delays; };
    std::vector<Variant> variants = {
        {"nothing", false, false, false, {}},
        {"page-height", true, false, false, {}},
        {"page-height+delay", true, true, false, {}},
        {"page-height+delay+loop", true, true, true, {}},
        {"odd delays 4,15,33,45,1234 ms", true, true, true, {4, 15, 33, 45, 1234}},
    };
    for (const Variant& v : variants) {
        for (const char* ext : {".gif", ".webp"}) {
            VImage img = bare(src);
            if (v.ph) img.set("page-height", ph);
            if (v.delay) img.set("delay", v.delays.empty() ? delay : v.delays);
            if (v.loop) img.set("loop", loop);
            const std::string out = dir + "/meta_" + std::to_string(&v - variants.data()) + ext;
            img.write_to_file(out.c_str());
            printf("%-32s %-5s -> %s\n", v.name, ext, describe(out).c_str());
        }
    }
    // The delay array given to webpsave, after the save: libvips 8.14 rewrites short delays
    // in place (<= 10 ms become 100 ms) on the image it was handed.
    VImage img = bare(src);
    img.set("page-height", ph);
    img.set("delay", std::vector<int>{5, 10, 20, 30, 40});
    img.set("loop", 0);
    VipsBlob* blob = img.webpsave_buffer();
    vips_area_unref(VIPS_AREA(blob));
    std::string after;
    for (int d : img.get_array_int("delay")) after += std::to_string(d) + ",";
    printf("delay field of the image handed to webpsave (set 5,10,20,30,40), after saving: %s\n", after.c_str());
    return 0;
}
