#include "batch/ConversionPlan.h"

#include "batch/ConversionCost.h"
#include "engine/Animation.h"
#include "engine/QualityByEye.h"
#include "engine/SizeLimit.h"

namespace quillmorph {

namespace {

FitRequest fitFor(const SourceHeader& header, const ConversionOptions& options) {
    FitRequest fit{options.sizeConversion, 0, 0, options.backColor, options.fitMode, options.crop,
                   options.noEnlarge};
    if (!options.sizeConversion || !options.box) {
        fit.sizeConversion = false;
        return fit;
    }
    const BoxSize box = options.box->forPicture(header.width, header.height);
    fit.boxWidth = box.width;
    fit.boxHeight = box.height;
    // A box of the picture's own shape has nothing to pad or crop; a margin would appear only
    // where never-enlarge keeps a smaller picture inside a larger share.
    if (options.box->followsPicture())
        fit.mode = FitMode::Fit;
    return fit;
}

Encoding encodingFor(const OutputFormat& format, const ConversionOptions& options) {
    const bool byEye = options.qualityByEye && qualityByEyeApplies(format);
    const bool limited = options.sizeLimitBytes > 0 && sizeLimitApplies(format);
    if (byEye)
        return limited ? Encoding::ByEyeAndSizeLimit : Encoding::ByEye;
    return limited ? Encoding::SizeLimit : Encoding::Fixed;
}

} // namespace

ConversionPlan planFor(const SourceHeader& header, const ConversionOptions& options,
                       double discThreshold) {
    ConversionPlan plan;
    plan.format = options.format.row;
    plan.noBox = options.sizeConversion && !options.box;
    plan.fit = fitFor(header, options);
    const PictureSize output = fittedSize(plan.fit, header.width, header.height);
    plan.outputWidth = output.width;
    plan.outputHeight = output.height;
    if (plan.format) {
        plan.animated = keepsAnimation(header, *plan.format);
        plan.frames = plan.animated ? header.pages : 1;
        plan.how = encodingFor(*plan.format, options);
        plan.mayShrink =
            plan.withinSizeLimit() && (!plan.fit.sizeConversion || plan.fit.mode == FitMode::Fit);
        plan.judgedByEye =
            plan.byEye() && judgedByEye(*plan.format, output.width, output.height, plan.frames);
    }
    plan.cost = costOf(header, plan, discThreshold);
    return plan;
}

} // namespace quillmorph
