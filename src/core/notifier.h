#pragma once
// A list of subscribers to one kind of change. A subscriber may subscribe, replace or
// drop itself or another one while a notification runs: one that leaves is not called
// again, one that comes is called from the next notification on, and the closure that
// is running stays alive until it returns.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace lt {

template <class... Args>
class Notifier {
    struct Slot {
        std::uint64_t id;
        std::shared_ptr<const std::function<void(Args...)>> call;
        bool live = true;
    };
    struct State {
        std::vector<Slot> entries;
        std::uint64_t nextId = 1;
        int depth = 0;  // notifications running
        bool dirty = false;

        void drop(std::uint64_t id) {
            for (Slot& s : entries)
                if (s.id == id && s.live) {
                    s.live = false;
                    dirty = true;
                }
            compact();
        }
        void compact() {
            if (depth > 0 || !dirty) return;
            std::erase_if(entries, [](const Slot& s) { return !s.live; });
            dirty = false;
        }
    };

  public:
    // Ends its subscription when it goes; may outlive the notifier.
    class Subscription {
      public:
        Subscription() = default;
        Subscription(std::weak_ptr<State> state, std::uint64_t id)
            : state_(std::move(state)), id_(id) {}
        Subscription(Subscription&& o) noexcept : state_(std::move(o.state_)), id_(o.id_) {
            o.id_ = 0;
        }
        Subscription& operator=(Subscription&& o) noexcept {
            if (this != &o) {
                reset();
                state_ = std::move(o.state_);
                id_ = o.id_;
                o.id_ = 0;
            }
            return *this;
        }
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;
        ~Subscription() { reset(); }

        void reset() {
            if (auto s = state_.lock(); s && id_) s->drop(id_);
            state_.reset();
            id_ = 0;
        }
        explicit operator bool() const { return id_ != 0 && !state_.expired(); }

      private:
        std::weak_ptr<State> state_;
        std::uint64_t id_ = 0;
    };

    Notifier() = default;
    Notifier(const Notifier&) = delete;
    Notifier& operator=(const Notifier&) = delete;

    [[nodiscard]] Subscription subscribe(std::function<void(Args...)> f) {
        const std::uint64_t id = state_->nextId++;
        state_->entries.push_back(
            {id, std::make_shared<const std::function<void(Args...)>>(std::move(f))});
        return Subscription(state_, id);
    }

    void notify(Args... args) const {
        // Keeps the state alive should a subscriber destroy the notifier's owner.
        const std::shared_ptr<State> state = state_;
        ++state->depth;
        // Index, not iterator: a subscription made now may grow the vector; it is not
        // called in this round.
        const std::size_t count = state->entries.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (!state->entries[i].live) continue;
            // Held: the subscriber may drop itself, and its closure must outlive the call.
            const auto call = state->entries[i].call;
            (*call)(args...);
        }
        --state->depth;
        state->compact();
    }

    bool empty() const {
        for (const Slot& s : state_->entries)
            if (s.live) return false;
        return true;
    }

  private:
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace lt
