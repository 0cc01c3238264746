#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>

#include <memory>
#include <vector>

namespace knvt {

// The collation keys of titles read one at a time, made on the threads of the application's pool while the reader
// goes on: every few hundred titles go to the pool as a batch. The reader then collects the keys a bounded share at a
// time, in the order the titles came, making here any batch no thread has started; a batch a thread is still making
// it waits for no longer than making the share here would take, making the later batches no thread has started
// meanwhile. A busy pool, or threads that lost their processors, cost time and never a block longer than the share.
// Only the titles' strings and their keys cross threads.
// Main thread only; dropping it drops the batches no thread has started.
class TitleKeysUnderWay
{
public:
    TitleKeysUnderWay();
    ~TitleKeysUnderWay();
    TitleKeysUnderWay(const TitleKeysUnderWay &) = delete;
    TitleKeysUnderWay &operator=(const TitleKeysUnderWay &) = delete;
    TitleKeysUnderWay(TitleKeysUnderWay &&) noexcept;
    TitleKeysUnderWay &operator=(TitleKeysUnderWay &&) noexcept;

    // The keys of the titles in their order, in the batches that made them: a key is never moved once made, which
    // for a QCollatorSortKey, without a move constructor, would be a copy touching memory the thread that made it
    // still holds.
    using Keys = std::vector<std::vector<QCollatorSortKey>>;

    void add(QString title);
    size_t size() const { return m_count; }
    // Collects keys, making at most about `titles` of them here and waiting for the pool's threads no longer than making
    // that many here takes; true once every title's key is collected.
    bool collect(size_t titles);
    // The keys collected, in the order of their titles; once collect() answered true, one for each title.
    Keys takeKeys() { return std::move(m_keys); }

private:
    struct Batch;
    void send();
    void drop();
    void letGoOfTheThread();

    QLocale m_locale;
    std::vector<std::shared_ptr<Batch>> m_batches;
    std::vector<QString> m_filling;
    size_t m_collected = 0;
    size_t m_count = 0;
    Keys m_keys;
    // Whether this reader counts as one of the pool's threads, from its first batch sent until its keys are collected.
    bool m_holdsAThread = false;
};

} // namespace knvt
