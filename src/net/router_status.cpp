#include "router_status.h"

namespace spinvale::net {

namespace {

struct KnownCode {
    RouterWay way;
    int code;
    std::string_view name;
    RouterRefusal meaning;
};

// The errors of UPnP's actions (the device architecture's and the WANIPConnection service's)
// and NAT-PMP's result codes (RFC 6886).
constexpr KnownCode knownCodes[] = {
    {RouterWay::Upnp, 401, "InvalidAction", RouterRefusal::Other},
    {RouterWay::Upnp, 402, "InvalidArgs", RouterRefusal::Other},
    {RouterWay::Upnp, 501, "ActionFailed", RouterRefusal::Other},
    {RouterWay::Upnp, 600, "ArgumentValueInvalid", RouterRefusal::Other},
    {RouterWay::Upnp, 601, "ArgumentValueOutOfRange", RouterRefusal::Other},
    {RouterWay::Upnp, 602, "OptionalActionNotImplemented", RouterRefusal::Other},
    {RouterWay::Upnp, 606, "ActionNotAuthorized", RouterRefusal::NotAllowed},
    {RouterWay::Upnp, 714, "NoSuchEntryInArray", RouterRefusal::Other},
    {RouterWay::Upnp, 715, "WildCardNotPermittedInSrcIP", RouterRefusal::Other},
    {RouterWay::Upnp, 716, "WildCardNotPermittedInExtPort", RouterRefusal::Other},
    {RouterWay::Upnp, 718, "ConflictInMappingEntry", RouterRefusal::PortTaken},
    {RouterWay::Upnp, 724, "SamePortValuesRequired", RouterRefusal::Other},
    {RouterWay::Upnp, 725, "OnlyPermanentLeasesSupported", RouterRefusal::Other},
    {RouterWay::Upnp, 726, "RemoteHostOnlySupportsWildcard", RouterRefusal::Other},
    {RouterWay::Upnp, 727, "ExternalPortOnlySupportsWildcard", RouterRefusal::Other},
    {RouterWay::Upnp, 728, "NoPortMapsAvailable", RouterRefusal::NoRoom},
    {RouterWay::Upnp, 729, "ConflictWithOtherMechanisms", RouterRefusal::PortTaken},
    {RouterWay::Upnp, 732, "WildCardNotPermittedInIntPort", RouterRefusal::Other},
    {RouterWay::NatPmp, 1, "UnsupportedVersion", RouterRefusal::Other},
    {RouterWay::NatPmp, 2, "NotAuthorized", RouterRefusal::NotAllowed},
    {RouterWay::NatPmp, 3, "NetworkFailure", RouterRefusal::NotConnected},
    {RouterWay::NatPmp, 4, "OutOfResources", RouterRefusal::NoRoom},
    {RouterWay::NatPmp, 5, "UnsupportedOpcode", RouterRefusal::Other},
};

const KnownCode* findCode(RouterWay way, int code) {
    for (const KnownCode& known : knownCodes) {
        if (known.way == way && known.code == code) {
            return &known;
        }
    }
    return nullptr;
}

}  // namespace

std::string_view routerWayName(RouterWay way) {
    switch (way) {
        case RouterWay::Upnp:
            return "UPnP";
        case RouterWay::NatPmp:
            return "NAT-PMP";
        case RouterWay::None:
            break;
    }
    return "";
}

std::string_view routerCodeName(RouterWay way, int code) {
    const KnownCode* known = findCode(way, code);
    return known ? known->name : "";
}

RouterRefusal classifyRefusal(RouterWay way, int code) {
    const KnownCode* known = findCode(way, code);
    return known ? known->meaning : RouterRefusal::Other;
}

}  // namespace spinvale::net
