#include "model/TitleKeysUnderWay.h"

#include "foundation/StringAdditions.h"

#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <utility>

namespace knvt {

namespace {

// A batch is a few hundred microseconds of keys: long enough to be worth a thread, short enough that waiting for one
// under way stays well inside a slice.
constexpr size_t kTitlesPerBatch = 256;

// A collator is not to be shared between threads: each thread of the pool keeps one of its own.
const QCollator &collatorOfThisThread(const QLocale &locale)
{
    thread_local std::optional<QCollator> collator;
    if (!collator || collator->locale() != locale)
        collator.emplace(titleCollator(locale));
    return *collator;
}

} // namespace

struct TitleKeysUnderWay::Batch
{
    std::vector<QString> titles;
    std::vector<QCollatorSortKey> keys;
    // Whoever takes the batch first makes its keys: a thread of the pool, or the reader collecting it.
    std::atomic<bool> taken{false};
    std::mutex mutex;
    std::condition_variable madeSignal;
    bool made = false;

    bool take() { return !taken.exchange(true); }
    void make(const QCollator &collator)
    {
        std::vector<QCollatorSortKey> result;
        result.reserve(titles.size());
        for (const QString &title : titles)
            result.push_back(collator.sortKey(title));
        const std::lock_guard<std::mutex> lock(mutex);
        keys = std::move(result);
        made = true;
        madeSignal.notify_all();
    }
    void waitUntilMade()
    {
        std::unique_lock<std::mutex> lock(mutex);
        madeSignal.wait(lock, [this] { return made; });
    }
};

TitleKeysUnderWay::TitleKeysUnderWay() : m_locale(titleCollator().locale()) {}

TitleKeysUnderWay::~TitleKeysUnderWay()
{
    drop();
}

TitleKeysUnderWay::TitleKeysUnderWay(TitleKeysUnderWay &&) noexcept = default;

TitleKeysUnderWay &TitleKeysUnderWay::operator=(TitleKeysUnderWay &&other) noexcept
{
    if (this != &other) {
        drop();
        m_locale = std::move(other.m_locale);
        m_batches = std::exchange(other.m_batches, {});
        m_filling = std::exchange(other.m_filling, {});
        m_collected = std::exchange(other.m_collected, 0);
        m_count = std::exchange(other.m_count, 0);
        m_keys = std::exchange(other.m_keys, {});
    }
    return *this;
}

void TitleKeysUnderWay::drop()
{
    // A thread that has not started a batch finds it taken and leaves it.
    for (const std::shared_ptr<Batch> &batch : m_batches)
        if (batch)
            batch->take();
}

void TitleKeysUnderWay::add(QString title)
{
    m_filling.push_back(std::move(title));
    ++m_count;
    if (m_filling.size() == kTitlesPerBatch)
        send();
}

void TitleKeysUnderWay::send()
{
    auto batch = std::make_shared<Batch>();
    batch->titles = std::move(m_filling);
    m_filling = {};
    m_batches.push_back(batch);
    // Without a thread to spare the batch waits for the reader.
    if (QThreadPool::globalInstance()->maxThreadCount() > 1)
        QThreadPool::globalInstance()->start([batch, locale = m_locale] {
            if (batch->take())
                batch->make(collatorOfThisThread(locale));
        });
}

bool TitleKeysUnderWay::collect(size_t titles)
{
    // The last titles, too few for a batch, are made here.
    if (!m_filling.empty()) {
        auto batch = std::make_shared<Batch>();
        batch->titles = std::move(m_filling);
        m_filling = {};
        m_batches.push_back(std::move(batch));
    }
    if (m_keys.capacity() < m_count)
        m_keys.reserve(m_count);
    size_t madeHere = 0;
    while (m_collected < m_batches.size() && madeHere < titles) {
        Batch &batch = *m_batches[m_collected];
        if (batch.take()) {
            batch.make(titleCollator());
            madeHere += batch.titles.size();
        } else {
            batch.waitUntilMade();
        }
        for (QCollatorSortKey &key : batch.keys)
            m_keys.push_back(std::move(key));
        m_batches[m_collected].reset();
        ++m_collected;
    }
    if (m_collected < m_batches.size())
        return false;
    m_batches.clear();
    m_collected = 0;
    return true;
}

} // namespace knvt
