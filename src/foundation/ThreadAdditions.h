#pragma once

#include <chrono>
#include <functional>

class QObject;

// Running a block on another thread's event loop, or later on one's own. The target is named by a receiver: a QObject
// that lives on the thread where the block must run. Queued and delayed blocks belong to the receiver, so a block
// still pending when its receiver is destroyed is dropped, never run against a dead object. The receiver's thread
// must run an event loop for queued and delayed blocks to run at all.
namespace knvt {

// Runs the block on the main thread: at once when called there, else queued to the main event loop. Once the
// application object is gone the block is dropped.
void performBlockOnMainThread(std::function<void()> block);

// Runs the block once on a new detached thread of its own.
void performBlockInBackground(std::function<void()> block);

// Runs the block on the calling thread; an empty block does nothing.
void runBlock(const std::function<void()> &block);

// Runs the block on the receiver's thread: at once, before returning, when that is the calling thread; otherwise
// queued without waiting.
void performBlock(QObject *receiver, std::function<void()> block);

// Queues the block on the receiver's thread. With waitUntilDone the caller blocks until it has run; when the
// receiver lives on the calling thread the block then runs at once instead, as queueing would deadlock.
void performBlock(QObject *receiver, std::function<void()> block, bool waitUntilDone);

// Runs the block on the receiver's thread once the delay has passed. A delay of zero still defers the block to the
// next pass of the event loop; zero-delay blocks run in the order they were asked for.
void performBlock(QObject *receiver, std::function<void()> block, std::chrono::duration<double> afterDelay);

// Runs the block on the receiver's thread once the events waiting now (input, paints, due timers) have been handled.
// A block queued with no delay runs before them, in the same pass as whatever queued it, so two long steps of work
// queued one after the other hold the window as one; a step queued this way lets the window answer in between.
// Such blocks run in the order they were asked for.
void performBlockAfterWaitingEvents(QObject *receiver, std::function<void()> block);

// A plain number of seconds would silently convert to waitUntilDone; say std::chrono::duration instead.
void performBlock(QObject *receiver, std::function<void()> block, double afterDelay) = delete;

} // namespace knvt
