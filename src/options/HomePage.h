#pragma once

#include <QString>
#include <QUrl>

namespace quillmorph {

// The product's home page as shipped beside the program: docs/index.html next to the
// executable, or share/quillmorph/index.html of the installation prefix. An empty URL when
// neither exists.
QUrl homePageUrl(const QString& applicationDir);

} // namespace quillmorph
