#include "platform/media/Filter.h"

#include "platform/media/Internal.h"
#include "platform/media/Runtime.h"

namespace media {

Pin::Pin(const std::shared_ptr<Filter>& owner, PinDirection direction, std::string name,
         Guid majortype)
    : owner_(owner), direction_(direction), name_(std::move(name)) {
    type_.majortype = majortype;
}

HRESULT Pin::QueryDirection(PinDirection& out) const {
    out = direction_;
    return S_OK;
}

HRESULT Pin::ConnectedTo(std::shared_ptr<Pin>& out) const {
    out = peer_.lock();
    return out ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT Pin::ConnectionMediaType(MediaType& out) const {
    return CurrentRuntime()->ConnectionMediaType(*this, out);
}

HRESULT Runtime::ConnectionMediaType(const Pin& pin, MediaType& out) {
    if (!pin.peer()) return VFW_E_NOT_CONNECTED;
    out = pin.mediaType();
    return S_OK;
}

HRESULT Pin::QueryPinInfo(PinInfo& out) const {
    out.filter = owner_.lock();
    out.dir = direction_;
    out.name = name_;
    return S_OK;
}

Filter::Filter(std::string name) : name_(std::move(name)) {}

Filter::~Filter() = default;

HRESULT Filter::EnumPins(std::shared_ptr<media::EnumPins>& out) const {
    return CurrentRuntime()->EnumPins(*this, out);
}

HRESULT Runtime::EnumPins(const Filter& filter, std::shared_ptr<media::EnumPins>& out) {
    out = std::make_shared<media::EnumPins>(filter.pins());
    return S_OK;
}

HRESULT Filter::QueryFilterInfo(FilterInfo& out) const {
    out.name = name_;
    out.graph = graph_.lock();
    return S_OK;
}

std::shared_ptr<Pin> Filter::AddPin(PinDirection direction, std::string name, Guid majortype) {
    auto pin = std::make_shared<Pin>(shared_from_this(), direction, std::move(name), majortype);
    pins_.push_back(pin);
    return pin;
}

}  // namespace media
