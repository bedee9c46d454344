#pragma once
// Filters and pins of a graph. Counted references are std::shared_ptr; a pin refers
// to its filter and its peer weakly, so a graph's parts never keep each other alive.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Result.h"
#include "platform/media/Guid.h"

namespace media {

class Filter;
class FilterGraph;
class Pin;

enum PinDirection { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

// What travels over a connection. The engine relies on majortype only; the rest
// describes the stream for display and negotiation.
struct MediaType {
    Guid majortype;
    std::string subtype;  // codec, pixel format or sample format name ("h264", "yuv420p", "s16")
    int width = 0;
    int height = 0;
    int frameRateNum = 0;
    int frameRateDen = 0;
    int sampleRate = 0;
    int channels = 0;
};

struct PinInfo {
    std::shared_ptr<Filter> filter;  // owner; empty once the filter is gone
    PinDirection dir = PINDIR_INPUT;
    std::string name;
};

struct FilterInfo {
    std::string name;
    std::shared_ptr<FilterGraph> graph;  // empty when the filter is in no graph
};

// IEnumPins / IEnumFilters / IEnumMoniker: a snapshot taken when the enumerator is
// created, so removing filters while walking never disturbs the walk.
template <typename T>
class Enumerator {
public:
    explicit Enumerator(std::vector<std::shared_ptr<T>> items) : items_(std::move(items)) {}
    // S_OK with the next item, or S_FALSE (and an empty pointer) at the end.
    HRESULT Next(std::shared_ptr<T>& out) {
        if (position_ >= items_.size()) {
            out.reset();
            return S_FALSE;
        }
        out = items_[position_++];
        return S_OK;
    }
    HRESULT Skip(std::size_t count) {
        position_ += count;
        if (position_ > items_.size()) position_ = items_.size();
        return position_ < items_.size() ? S_OK : S_FALSE;
    }
    HRESULT Reset() {
        position_ = 0;
        return S_OK;
    }

private:
    std::vector<std::shared_ptr<T>> items_;
    std::size_t position_ = 0;
};

using EnumPins = Enumerator<Pin>;
using EnumFilters = Enumerator<Filter>;

class Pin {
public:
    Pin(const std::shared_ptr<Filter>& owner, PinDirection direction, std::string name,
        Guid majortype);
    Pin(const Pin&) = delete;
    Pin& operator=(const Pin&) = delete;

    HRESULT QueryDirection(PinDirection& out) const;
    // The connected peer, or VFW_E_NOT_CONNECTED.
    HRESULT ConnectedTo(std::shared_ptr<Pin>& out) const;
    // The connection's media type, or VFW_E_NOT_CONNECTED.
    HRESULT ConnectionMediaType(MediaType& out) const;
    HRESULT QueryPinInfo(PinInfo& out) const;
    const std::string& Name() const { return name_; }

    // Layer internals: the graph builds and breaks connections through these.
    PinDirection direction() const { return direction_; }
    std::shared_ptr<Pin> peer() const { return peer_.lock(); }
    std::shared_ptr<Filter> owner() const { return owner_.lock(); }
    const MediaType& mediaType() const { return type_; }
    void SetMediaType(const MediaType& type) { type_ = type; }
    void SetPeer(const std::shared_ptr<Pin>& peer) { peer_ = peer; }
    void ClearPeer() { peer_.reset(); }

private:
    std::weak_ptr<Filter> owner_;
    PinDirection direction_;
    std::string name_;
    MediaType type_;
    std::weak_ptr<Pin> peer_;
};

class Filter : public std::enable_shared_from_this<Filter> {
public:
    virtual ~Filter();
    Filter(const Filter&) = delete;
    Filter& operator=(const Filter&) = delete;

    HRESULT EnumPins(std::shared_ptr<EnumPins>& out) const;
    HRESULT QueryFilterInfo(FilterInfo& out) const;
    // The name in its graph (or its own name outside a graph).
    const std::string& Name() const { return name_; }

    // Layer internals.
    const std::vector<std::shared_ptr<Pin>>& pins() const { return pins_; }
    std::shared_ptr<Pin> AddPin(PinDirection direction, std::string name, Guid majortype);
    void SetName(std::string name) { name_ = std::move(name); }
    void SetGraph(const std::shared_ptr<FilterGraph>& graph) { graph_ = graph; }
    std::shared_ptr<FilterGraph> graph() const { return graph_.lock(); }

protected:
    explicit Filter(std::string name);

private:
    std::string name_;
    std::vector<std::shared_ptr<Pin>> pins_;
    std::weak_ptr<FilterGraph> graph_;
};

}  // namespace media
