#include "DesktopOpener.h"

#include "files/FilePath.h"
#include "frontend/PrivateTempFolder.h"

#include <QProcess>
#include <memory>
#include <utility>

namespace quillmorph {

namespace {

// An opener still running when its owner goes is ended without a word: QProcess reports the
// kill from its destructor, when nobody is left to tell.
class Opener : public QProcess {
public:
    using QProcess::QProcess;
    ~Opener() override { blockSignals(true); }
    Opener(const Opener&) = delete;
    Opener& operator=(const Opener&) = delete;
};

} // namespace

QUrl urlOfFolder(const FilePath& folder) {
    const QByteArray& bytes = folder.native();
    if (QString::fromUtf8(bytes).toUtf8() == bytes)
        return QUrl::fromLocalFile(folder.display());
    return urlOfLocalFile(folder);
}

void openWithProgram(QObject* owner, const QUrl& url, std::function<void()> failed,
                     const QString& program) {
    auto* opener = new Opener(owner);
    // Its complaints belong on our standard error, where they went before.
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    opener->setProcessEnvironment(PrivateTempFolder::environmentOutside());
    // Told once: a failed start raises errorOccurred alone, a crash both signals.
    auto told = std::make_shared<bool>(false);
    const auto tell = [opener, told, failed = std::move(failed)](bool ok) {
        if (*told)
            return;
        *told = true;
        if (!ok && failed)
            failed();
        opener->deleteLater();
    };
    QObject::connect(opener, &QProcess::errorOccurred, opener,
                     [tell](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart || error == QProcess::Crashed)
                             tell(false);
                     });
    QObject::connect(opener, &QProcess::finished, opener,
                     [tell](int code, QProcess::ExitStatus how) {
                         tell(how == QProcess::NormalExit && code == 0);
                     });
    // The encoded URL keeps the bytes of a name that is not UTF-8; the opener decodes it.
    opener->start(program, {QString::fromLatin1(url.toEncoded())});
}

QString placeOf(const QUrl& url) {
    if (!url.isLocalFile())
        return url.toString();
    return localFileOfUrl(url).display();
}

} // namespace quillmorph
