#pragma once

#include "batch/Failure.h"

#include <QString>

namespace quillmorph::message {

// One plain sentence that says what a failure means for the user, from the one table of engine
// statuses (and the fill and combine reports); empty where the message says it all already.
QString sentence(const Failure& failure);

// text with failure's sentence on a line of its own under it, when it has one.
QString withSentence(const QString& text, const Failure& failure);

} // namespace quillmorph::message
