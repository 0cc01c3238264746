#include "model/TitleKeysUnderWay.h"

#include "foundation/StringAdditions.h"

#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <utility>

namespace knvt {

namespace {

// A batch is a few hundred microseconds of keys: long enough to be worth a thread, short enough that waiting for one
// under way stays well inside a slice.
constexpr size_t kTitlesPerBatch = 256;

// What a key takes to make on the reader's thread, by the fastest whole batch made there so far: the share of a
// collect() in time. A batch made while the thread lost its processor, or with the collator's opening, says more.
qint64 nanosecondsPerKey = 1000;

// While keys are under way the reader holds one of the pool's threads, its own: it makes keys too, and the threads
// making them then leave its processor to the window's thread instead of competing with it for the cores.
int readersHoldingAThread = 0;

void holdAThread()
{
    if (readersHoldingAThread++ == 0)
        QThreadPool::globalInstance()->reserveThread();
}

void releaseAThread()
{
    if (--readersHoldingAThread == 0)
        QThreadPool::globalInstance()->releaseThread();
}

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
    bool isTaken() const { return taken.load(); }
    void make(const QCollator &collator)
    {
        std::vector<QCollatorSortKey> result;
        result.reserve(titles.size());
        for (const QString &title : titles)
            result.push_back(collator.sortKey(title));
        // The titles are let go of by whoever made their keys, rather than by the reader as it collects them.
        titles = {};
        const std::lock_guard<std::mutex> lock(mutex);
        keys = std::move(result);
        made = true;
        madeSignal.notify_all();
    }
    bool isMade()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return made;
    }
    // Whether the keys are made, waiting for them until `deadline` at the latest.
    bool waitUntilMade(std::chrono::steady_clock::time_point deadline)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return madeSignal.wait_until(lock, deadline, [this] { return made; });
    }
};

TitleKeysUnderWay::TitleKeysUnderWay() : m_locale(titleCollator().locale()) {}

TitleKeysUnderWay::~TitleKeysUnderWay()
{
    drop();
}

TitleKeysUnderWay::TitleKeysUnderWay(TitleKeysUnderWay &&other) noexcept
    : m_locale(std::move(other.m_locale)),
      m_batches(std::exchange(other.m_batches, {})),
      m_filling(std::exchange(other.m_filling, {})),
      m_collected(std::exchange(other.m_collected, 0)),
      m_count(std::exchange(other.m_count, 0)),
      m_keys(std::exchange(other.m_keys, {})),
      m_holdsAThread(std::exchange(other.m_holdsAThread, false))
{}

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
        m_holdsAThread = std::exchange(other.m_holdsAThread, false);
    }
    return *this;
}

void TitleKeysUnderWay::drop()
{
    // A thread that has not started a batch finds it taken and leaves it.
    for (const std::shared_ptr<Batch> &batch : m_batches)
        if (batch)
            batch->take();
    letGoOfTheThread();
}

void TitleKeysUnderWay::letGoOfTheThread()
{
    if (std::exchange(m_holdsAThread, false))
        releaseAThread();
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
    if (QThreadPool::globalInstance()->maxThreadCount() < 2)
        return;
    if (!std::exchange(m_holdsAThread, true))
        holdAThread();
    QThreadPool::globalInstance()->start([batch, locale = m_locale] {
        if (batch->take())
            batch->make(collatorOfThisThread(locale));
    });
}

bool TitleKeysUnderWay::collect(size_t titles)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    // What making the whole share here would take: the longest this call waits for a thread.
    const Clock::time_point deadline =
        start + std::chrono::nanoseconds(qint64(titles) * std::max<qint64>(nanosecondsPerKey, 1));
    // The last titles, too few for a batch, are made here.
    if (!m_filling.empty()) {
        auto batch = std::make_shared<Batch>();
        batch->titles = std::move(m_filling);
        m_filling = {};
        m_batches.push_back(std::move(batch));
    }
    size_t madeHere = 0;
    const auto makeHere = [&madeHere](Batch &batch) {
        const size_t count = batch.titles.size();
        const Clock::time_point began = Clock::now();
        batch.make(titleCollator());
        // The last titles, too few for a batch, may be few and short enough to say nothing of a key's time.
        if (count == kTitlesPerBatch)
            nanosecondsPerKey = std::min(
                nanosecondsPerKey,
                std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - began).count() / qint64(count));
        madeHere += count;
    };
    while (m_collected < m_batches.size()) {
        Batch &batch = *m_batches[m_collected];
        if (!batch.isTaken()) {
            if (madeHere >= titles)
                break;
            if (batch.take())
                makeHere(batch);
        }
        if (!batch.isMade()) {
            // A thread is making it: meanwhile the next batches no thread has started are made here, as far as the
            // share goes, and then this one is waited for while the share's time lasts.
            for (size_t next = m_collected + 1; next < m_batches.size() && madeHere < titles; ++next)
                if (m_batches[next]->take())
                    makeHere(*m_batches[next]);
            if (!batch.waitUntilMade(deadline))
                break;
        }
        m_keys.push_back(std::move(batch.keys));
        m_batches[m_collected].reset();
        ++m_collected;
    }
    if (m_collected < m_batches.size())
        return false;
    m_batches.clear();
    m_collected = 0;
    letGoOfTheThread();
    return true;
}

} // namespace knvt
