#pragma once

#include "engine/StepStatus.h"
#include "files/EngineStatus.h"
#include "files/FilePath.h"

#include <QString>

namespace quillmorph {

// Something that went wrong with a file, or with the batch's output folder, as a value; the
// window and the command-line tool make its text (message::text).
struct Failure {
    enum class Kind {
        Engine,        // the engine returned status at stage
        NotAnImage,    // no loader of the engine reads the file
        BoxSize,       // size conversion on, with a width or height outside 1…32767
        UnknownFormat, // formatText names no output format
        OutputFolder,  // the dated folder, path, could not be created
        FillFailed,    // reported while the file goes on to be saved
        CombineFailed, // the same
    };

    Kind kind = Kind::Engine;
    FilePath path;                     // the file it concerns; empty for an option
    EngineStatus status = status::kOk; // Engine
    Stage stage = Stage::Load;         // Engine
    QString formatText;                // UnknownFormat

    static Failure engine(EngineStatus status, Stage stage, const FilePath& path) {
        return {Kind::Engine, path, status, stage, {}};
    }
    // As the engine charged it.
    static Failure engine(const StepStatus& step, const FilePath& path) {
        return engine(step.status, step.stage, path);
    }
    static Failure unknownFormat(const QString& formatText, const FilePath& path) {
        return {Kind::UnknownFormat, path, status::kOk, Stage::Load, formatText};
    }
    // A kind that carries nothing beyond the path.
    static Failure of(Kind kind, const FilePath& path) {
        return {kind, path, status::kOk, Stage::Load, {}};
    }
    // About an option no picture can be converted with: it names no file, and no later file
    // could go past it.
    bool aboutOptions() const { return kind == Kind::BoxSize || kind == Kind::UnknownFormat; }

    friend bool operator==(const Failure&, const Failure&) = default;
};

} // namespace quillmorph
