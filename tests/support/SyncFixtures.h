#pragma once

// JSON builders for sync service replies. Entities come wrapped in their root key ({"task":{...}}) with id,
// created_at and updated_at; object dates are 2015-03-04T10:20:30+00:00 plus n seconds, written as the service
// writes them. The builders fill every key a client reads, so that a reply built here never clears a field by
// leaving it out; `fields` overrides or adds keys.
#include "support/Wire.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QTime>

namespace knvt::test {

inline QDateTime fixtureDateTime(qint64 n = 0)
{
    return QDateTime(QDate(2015, 3, 4), QTime(10, 20, 30), Qt::UTC).addSecs(n);
}

// The service's date text: UTC with a colon in the offset.
inline QString serviceDate(const QDateTime &date)
{
    return date.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) + QStringLiteral("+00:00");
}

inline QString fixtureDate(qint64 n = 0)
{
    return serviceDate(fixtureDateTime(n));
}

inline QJsonObject wrap(const QString &root, const QJsonObject &object)
{
    return QJsonObject{{root, object}};
}

// The object inside a wrapped entity, as nested arrays hold it.
inline QJsonObject unwrap(const QJsonObject &wrapped)
{
    return wrapped.isEmpty() ? QJsonObject() : wrapped.begin()->toObject();
}

inline QString rootKey(const QJsonObject &wrapped)
{
    return wrapped.isEmpty() ? QString() : wrapped.begin().key();
}

inline QJsonObject merged(QJsonObject base, const QJsonObject &fields)
{
    for (auto it = fields.begin(); it != fields.end(); ++it)
        base.insert(it.key(), it.value());
    return base;
}

// Created at the base date, updated n seconds after it.
inline QJsonObject entity(const QString &root, qint64 id, qint64 n, const QJsonObject &fields = {})
{
    QJsonObject object{{"id", id}, {"created_at", fixtureDate(0)}, {"updated_at", fixtureDate(n)}};
    return wrap(root, merged(object, fields));
}

// Users are always embedded, never wrapped.
inline QJsonObject user(qint64 id, const QString &username, const QJsonObject &fields = {})
{
    QJsonObject object{{"id", id},
                       {"username", username},
                       {"first_name", username},
                       {"last_name", "Doe"},
                       {"email", username + QStringLiteral("@example.com")},
                       {"country_code", "US"}};
    return merged(object, fields);
}

inline QJsonObject account(qint64 id, const QJsonObject &owner, qint64 n, const QJsonObject &fields = {})
{
    return entity(QStringLiteral("account"), id, n,
                  merged({{"owner_id", owner.value("id")}, {"owner", owner}}, fields));
}

inline QJsonObject task(qint64 id, const QString &title, qint64 n, const QJsonObject &fields = {})
{
    const QJsonObject defaults{{"title", title},
                               {"description", QJsonValue::Null},
                               {"priority", 0},
                               {"status", "actionable"},
                               {"status_updated_at", QJsonValue::Null},
                               {"start_at", QJsonValue::Null},
                               {"due_at", QJsonValue::Null},
                               {"archived_at", QJsonValue::Null},
                               {"deleted_at", QJsonValue::Null},
                               {"task_list_id", QJsonValue::Null},
                               {"task_list_order_index", QJsonValue::Null}};
    return entity(QStringLiteral("task"), id, n, merged(defaults, fields));
}

inline QJsonObject taskList(qint64 id, const QString &title, qint64 n, const QJsonObject &fields = {})
{
    const QJsonObject defaults{{"title", title},
                               {"description", QJsonValue::Null},
                               {"status", "actionable"},
                               {"status_updated_at", QJsonValue::Null},
                               {"task_list_type", "project"},
                               {"start_at", QJsonValue::Null},
                               {"due_at", QJsonValue::Null},
                               {"archived_at", QJsonValue::Null},
                               {"deleted_at", QJsonValue::Null}};
    return entity(QStringLiteral("task_list"), id, n, merged(defaults, fields));
}

inline QJsonObject collaborator(qint64 id, qint64 taskListId, qint64 userId, const QString &status, const QString &role,
                                qint64 n, const QJsonObject &fields = {})
{
    const QJsonObject defaults{{"role", role},
                               {"status", status},
                               {"task_list_id", taskListId},
                               {"user_id", userId},
                               {"task_list_type_order_index", QJsonValue::Null},
                               {"reviewed_at", QJsonValue::Null},
                               {"review_at", QJsonValue::Null},
                               {"deleted_at", QJsonValue::Null}};
    return entity(QStringLiteral("task_list_collaborator"), id, n, merged(defaults, fields));
}

inline QJsonObject comment(qint64 id, qint64 taskId, qint64 userId, const QString &text, qint64 n,
                           const QJsonObject &fields = {})
{
    const QJsonObject defaults{{"text", text},
                               {"commentable_id", taskId},
                               {"commentable_type", "Task"},
                               {"user_id", userId},
                               {"deleted_at", QJsonValue::Null}};
    return entity(QStringLiteral("comment"), id, n, merged(defaults, fields));
}

inline QJsonObject watcher(qint64 id, qint64 taskId, qint64 userId, qint64 n, const QJsonObject &fields = {})
{
    return entity(QStringLiteral("task_watcher"), id, n, merged({{"task_id", taskId}, {"user_id", userId}}, fields));
}

inline QJsonObject tag(qint64 id, const QString &title, qint64 n, const QJsonObject &fields = {})
{
    return entity(QStringLiteral("tag"), id, n,
                  merged({{"title", title}, {"creator_order_index", QJsonValue::Null}}, fields));
}

inline QJsonObject taggedItem(qint64 id, qint64 tagId, qint64 taskId, qint64 n, const QJsonObject &fields = {})
{
    const QJsonObject defaults{{"tag_id", tagId}, {"taggable_id", taskId}, {"taggable_type", "Task"}};
    return entity(QStringLiteral("tagged_item"), id, n, merged(defaults, fields));
}

inline QJsonObject friendship(qint64 id, qint64 inviterId, qint64 inviteeId, const QString &status, qint64 n,
                              const QJsonObject &fields = {})
{
    const QJsonObject defaults{{"inviter_id", inviterId}, {"invitee_id", inviteeId}, {"status", status}};
    return entity(QStringLiteral("friendship"), id, n, merged(defaults, fields));
}

// Puts `children` (wrapped) into `parent` (wrapped) as the unwrapped array `key`, as nested replies hold them.
inline QJsonObject nest(const QJsonObject &parent, const QString &key, const QList<QJsonObject> &children)
{
    QJsonArray array;
    for (const QJsonObject &child : children)
        array.append(unwrap(child));
    QJsonObject inner = unwrap(parent);
    inner.insert(key, array);
    return wrap(rootKey(parent), inner);
}

inline QByteArray body(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

inline QByteArray listBody(const QList<QJsonObject> &wrappedEntities = {})
{
    QJsonArray array;
    for (const QJsonObject &object : wrappedEntities)
        array.append(object);
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

} // namespace knvt::test
