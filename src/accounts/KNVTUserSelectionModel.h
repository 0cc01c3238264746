#pragma once

#include "accounts/KNVTUsersModel.h"

#include <QSet>
#include <QUrl>

#include <functional>

// The rows of a user selection list: people with a check box each. The choice is kept as object references, so it
// outlives searches and reloads. A person who may not be changed keeps showing whether they are chosen, but their
// check box cannot be used.
class KNVTUserSelectionModel : public KNVTUsersModel
{
    Q_OBJECT

public:
    // Called after the user ticked (true) or unticked a person.
    using ToggleHandler = std::function<void(const QUrl &uri, bool selected)>;

    explicit KNVTUserSelectionModel(KNVTTaskStore *store = nullptr, QObject *parent = nullptr);

    const QSet<QUrl> &selectedURIs() const { return m_selectedURIs; }
    void setSelectedURIs(const QSet<QUrl> &uris);
    void setUnselectableURIs(const QSet<QUrl> &uris);
    bool isUnselectable(const QUrl &uri) const { return m_unselectableURIs.contains(uri); }
    void setToggleHandler(ToggleHandler handler) { m_toggleHandler = std::move(handler); }

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void refreshCheckStates();

    QSet<QUrl> m_selectedURIs;
    QSet<QUrl> m_unselectableURIs;
    ToggleHandler m_toggleHandler;
};
