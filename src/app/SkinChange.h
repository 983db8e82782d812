// The skin-change notification: the skin picker broadcasts the chosen background, the main window
// receives it. A small observer pair, instantiated with the result type int and the payload
// SkinChangedParam; every receiver gets its own copy of the payload.
//
// UI thread only. A receiver leaves every observer it joined when it is destroyed, so a broadcast
// never reaches a receiver that is gone.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct SkinChangedParam {
    bool colour = false;       // true: bkColor was chosen; false: bkImage was chosen
    uint32_t bkColor = 0;      // 0xAARRGGBB
    std::string bkImage;       // a skin-relative image description or a full path
};

template <typename ReturnT, typename ParamT>
class ReceiverImplBase;

template <typename ReturnT, typename ParamT>
class ObserverImplBase {
public:
    virtual ~ObserverImplBase() = default;
    virtual void addReceiver(ReceiverImplBase<ReturnT, ParamT>* receiver) = 0;
    virtual void removeReceiver(ReceiverImplBase<ReturnT, ParamT>* receiver) = 0;
    virtual ReturnT broadcast(ParamT param) = 0;
    virtual ReturnT notify(ParamT param) = 0;
};

template <typename ReturnT, typename ParamT>
class ReceiverImplBase {
public:
    virtual ~ReceiverImplBase() = default;
    virtual void addObserver(ObserverImplBase<ReturnT, ParamT>* observer) = 0;
    virtual void removeObserver() = 0;
    virtual ReturnT receive(ParamT param) = 0;
    virtual ReturnT respond(ParamT param, ObserverImplBase<ReturnT, ParamT>* observer) = 0;
};

template <typename ReturnT, typename ParamT>
class ObserverImpl : public ObserverImplBase<ReturnT, ParamT> {
public:
    using Receiver = ReceiverImplBase<ReturnT, ParamT>;

    void addReceiver(Receiver* receiver) override {
        if (!receiver) return;
        receivers_[count_] = receiver;
        receiver->addObserver(this);
        ++count_;
    }

    void removeReceiver(Receiver* receiver) override {
        for (auto it = receivers_.begin(); it != receivers_.end(); ++it) {
            if (it->second == receiver) {
                receivers_.erase(it);
                return;
            }
        }
    }

    // In key order; a receiver that leaves (or joins) during the broadcast does not upset it.
    ReturnT broadcast(ParamT param) override {
        const auto snapshot = receivers_;
        for (const auto& [key, receiver] : snapshot)
            if (stillThere(key, receiver)) receiver->receive(param);
        return ReturnT();
    }

    ReturnT notify(ParamT param) override {
        const auto snapshot = receivers_;
        for (const auto& [key, receiver] : snapshot)
            if (stillThere(key, receiver)) receiver->respond(param, this);
        return ReturnT();
    }

    size_t receiverCount() const { return receivers_.size(); }

private:
    bool stillThere(int key, Receiver* receiver) const {
        const auto it = receivers_.find(key);
        return it != receivers_.end() && it->second == receiver;
    }

    int count_ = 0;
    std::map<int, Receiver*> receivers_;
};

template <typename ReturnT, typename ParamT>
class ReceiverImpl : public ReceiverImplBase<ReturnT, ParamT> {
public:
    using Observer = ObserverImplBase<ReturnT, ParamT>;

    ReceiverImpl() = default;
    ReceiverImpl(const ReceiverImpl&) = delete;
    ReceiverImpl& operator=(const ReceiverImpl&) = delete;
    ~ReceiverImpl() override { removeObserver(); }

    void addObserver(Observer* observer) override { observers_[count_++] = observer; }

    void removeObserver() override {
        const auto observers = std::move(observers_);
        observers_.clear();
        for (const auto& [key, observer] : observers) observer->removeReceiver(this);
    }

    ReturnT receive(ParamT) override { return ReturnT(); }
    ReturnT respond(ParamT, Observer*) override { return ReturnT(); }

private:
    int count_ = 0;
    std::map<int, Observer*> observers_;
};

using SkinChangeObserver = ObserverImpl<int, SkinChangedParam>;
using SkinChangeReceiver = ReceiverImpl<int, SkinChangedParam>;

// The process-wide observer, created on first use.
SkinChangeObserver& skinChangeObserver();
