#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace quillmorph::test {

// Sets an environment variable for the life of the object, even when an assertion leaves early.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QString& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), saved_(qgetenv(name)) {
        qputenv(name, QFile::encodeName(value));
    }
    ~ScopedVariable() {
        if (had_)
            qputenv(name_, saved_);
        else
            qunsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    bool had_;
    QByteArray saved_;
};

} // namespace quillmorph::test
