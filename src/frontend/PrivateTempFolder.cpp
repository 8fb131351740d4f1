#include "frontend/PrivateTempFolder.h"

#include "frontend/ThisProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace quillmorph {

namespace {

constexpr char kPrefix[] = "quillmorph-";

// The process that made a folder of ours, from its name: quillmorph-<pid>-XXXXXX.
qint64 ownerProcess(const QString& name) {
    const QString rest = name.mid(int(sizeof kPrefix) - 1);
    bool ok = false;
    const qint64 pid = rest.section(QLatin1Char('-'), 0, 0).toLongLong(&ok);
    return ok && pid > 0 ? pid : 0;
}

QString folderTemplate() {
    return QDir(QDir::tempPath())
        .filePath(QLatin1String(kPrefix) + QString::number(QCoreApplication::applicationPid()) +
                  QStringLiteral("-XXXXXX"));
}

} // namespace

PrivateTempFolder::PrivateTempFolder() {
    removeLeftovers(QDir::tempPath());
    dir_.emplace(folderTemplate());
    if (!dir_->isValid())
        return;
    for (const QByteArray& name : thisProcess::temporaryFolderVariables()) {
        previous_.append({name, qEnvironmentVariableIsSet(name.constData())
                                    ? std::optional(qgetenv(name.constData()))
                                    : std::nullopt});
        qputenv(name.constData(), QFile::encodeName(dir_->path()));
    }
}

PrivateTempFolder::~PrivateTempFolder() {
    if (!isValid())
        return;
    for (const auto& [name, value] : previous_) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
    // QTemporaryDir removes the folder with everything in it as it goes.
}

QProcessEnvironment PrivateTempFolder::environmentOutside() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString ours =
        QLatin1String(kPrefix) + QString::number(QCoreApplication::applicationPid()) + u'-';
    for (const QByteArray& name : thisProcess::temporaryFolderVariables()) {
        const QString variable = QString::fromLatin1(name);
        const QFileInfo folder(environment.value(variable));
        if (folder.fileName().startsWith(ours))
            environment.insert(variable, folder.path());
    }
    return environment;
}

void PrivateTempFolder::removeLeftovers(const QString& parent) {
    const QDir dir(parent);
    const QStringList names =
        dir.entryList({QLatin1String(kPrefix) + QStringLiteral("*-*")},
                      QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : names) {
        const QFileInfo info(dir.filePath(name));
        const qint64 pid = ownerProcess(name);
        // Another user's folder, or one whose process still runs, is not ours to take.
        if (pid == 0 || !thisProcess::ownedByThisUser(info) || !thisProcess::processIsGone(pid))
            continue;
        QDir(info.filePath()).removeRecursively();
    }
}

} // namespace quillmorph
