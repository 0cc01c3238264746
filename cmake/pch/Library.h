// Headers most translation units of the libraries parse, compiled once for the tree (cmake/KnvtLibrary.cmake). Only
// headers of Qt and the standard library belong here: a project header would rebuild every file when it changes.
#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
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
#include <QAbstractItemView>
#include <QApplication>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QWidget>
#endif
