// Headers nearly every translation unit of a library parses, compiled once per target when KNVT_PCH is on. Only
// headers of Qt and the standard library belong here: a project header would rebuild every file when it changes.
#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <QVariantMap>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Only for targets that see the widgets module.
#if __has_include(<QWidget>)
#include <QPainter>
#include <QWidget>
#endif
