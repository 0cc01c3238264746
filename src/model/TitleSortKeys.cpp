#include "model/TitleSortKeys.h"

#include "model/KNVTCDTaskStoreObject.h"

#include "foundation/StringAdditions.h"

#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

namespace knvt {

namespace {

TitleSortKeys *current = nullptr;

// The titles a thread takes at a time, and the fewest titles worth a thread of the pool.
constexpr size_t kTitlesPerTake = 64;
constexpr size_t kTitlesPerThread = 256;

// The keys of one call on their way: each thread takes the next titles until none are left, and the caller waits
// until the last key taken is made. A thread of the pool that starts after that finds nothing left to take.
struct KeyWork
{
    std::vector<QString> titles;
    std::vector<std::optional<QCollatorSortKey>> keys;
    QLocale locale;
    std::atomic<size_t> next{0};
    size_t made = 0;
    std::mutex mutex;
    std::condition_variable allMade;

    void take(const QCollator &collator)
    {
        const size_t count = titles.size();
        for (size_t at = next.fetch_add(kTitlesPerTake); at < count; at = next.fetch_add(kTitlesPerTake)) {
            const size_t end = std::min(count, at + kTitlesPerTake);
            for (size_t i = at; i < end; ++i)
                keys[i].emplace(collator.sortKey(titles[i]));
            const std::lock_guard<std::mutex> lock(mutex);
            made += end - at;
            if (made == count)
                allMade.notify_all();
        }
    }
};

} // namespace

const QCollator &TitleSortKeys::collatorOfThisThread(const QLocale &locale)
{
    thread_local std::optional<QCollator> collator;
    if (!collator || collator->locale() != locale)
        collator.emplace(titleCollator(locale));
    return *collator;
}

QString TitleSortKeys::titleOf(const KNVTCDTaskStoreObject *object)
{
    return object->stringForKey(QStringLiteral("title"));
}

TitleSortKeys::TitleSortKeys() : m_outer(current)
{
    current = this;
}

TitleSortKeys::~TitleSortKeys()
{
    current = m_outer;
}

const QCollatorSortKey &TitleSortKeys::keyFor(const KNVTCDTaskStoreObject *object)
{
    auto found = m_keys.find(object);
    if (found == m_keys.end())
        found = m_keys.emplace(object, titleCollator().sortKey(titleOf(object))).first;
    return found->second;
}

QCollatorSortKey TitleSortKeys::sortKey(const QString &title)
{
    return titleCollator().sortKey(title);
}

std::vector<QCollatorSortKey> TitleSortKeys::sortKeys(std::vector<QString> titles)
{
    const size_t count = titles.size();
    QThreadPool *pool = QThreadPool::globalInstance();
    const size_t helpers = std::min(size_t(std::max(0, pool->maxThreadCount() - 1)), count / kTitlesPerThread);
    // Too few for a thread: made here, as the lists' small sorts ask.
    if (helpers == 0) {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(count);
        for (const QString &title : titles)
            keys.push_back(sortKey(title));
        return keys;
    }
    auto work = std::make_shared<KeyWork>();
    work->titles = std::move(titles);
    work->keys.resize(count);
    work->locale = titleCollator().locale();
    for (size_t i = 0; i < helpers; ++i)
        pool->start([work] { work->take(TitleSortKeys::collatorOfThisThread(work->locale)); });
    work->take(titleCollator());
    {
        std::unique_lock<std::mutex> lock(work->mutex);
        work->allMade.wait(lock, [&work, count] { return work->made == count; });
    }
    std::vector<QCollatorSortKey> keys;
    keys.reserve(count);
    for (std::optional<QCollatorSortKey> &key : work->keys)
        keys.push_back(std::move(*key));
    return keys;
}

int TitleSortKeys::compare(const KNVTCDTaskStoreObject *a, const KNVTCDTaskStoreObject *b)
{
    if (current)
        return current->keyFor(a).compare(current->keyFor(b));
    return titleCollator().compare(titleOf(a), titleOf(b));
}

} // namespace knvt
