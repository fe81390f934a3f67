#include "router_status.h"

#include <cstddef>
#include <utility>

namespace spinvale::net {

namespace {

// The errors of UPnP's actions (device architecture) and of the WANIPConnection service.
constexpr std::pair<int, std::string_view> upnpCodes[] = {
    {401, "InvalidAction"},
    {402, "InvalidArgs"},
    {501, "ActionFailed"},
    {600, "ArgumentValueInvalid"},
    {601, "ArgumentValueOutOfRange"},
    {602, "OptionalActionNotImplemented"},
    {606, "ActionNotAuthorized"},
    {714, "NoSuchEntryInArray"},
    {715, "WildCardNotPermittedInSrcIP"},
    {716, "WildCardNotPermittedInExtPort"},
    {718, "ConflictInMappingEntry"},
    {724, "SamePortValuesRequired"},
    {725, "OnlyPermanentLeasesSupported"},
    {726, "RemoteHostOnlySupportsWildcard"},
    {727, "ExternalPortOnlySupportsWildcard"},
    {728, "NoPortMapsAvailable"},
    {729, "ConflictWithOtherMechanisms"},
    {732, "WildCardNotPermittedInIntPort"},
};

// NAT-PMP's result codes (RFC 6886).
constexpr std::pair<int, std::string_view> natPmpCodes[] = {
    {1, "UnsupportedVersion"}, {2, "NotAuthorized"},     {3, "NetworkFailure"},
    {4, "OutOfResources"},     {5, "UnsupportedOpcode"},
};

template <std::size_t N>
std::string_view nameIn(const std::pair<int, std::string_view> (&table)[N], int code) {
    for (const auto& [number, name] : table) {
        if (number == code) {
            return name;
        }
    }
    return "";
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
    switch (way) {
        case RouterWay::Upnp:
            return nameIn(upnpCodes, code);
        case RouterWay::NatPmp:
            return nameIn(natPmpCodes, code);
        case RouterWay::None:
            break;
    }
    return "";
}

RouterRefusal classifyRefusal(RouterWay way, int code) {
    if (way == RouterWay::Upnp) {
        switch (code) {
            case 718:
            case 729:
                return RouterRefusal::PortTaken;
            case 606:
                return RouterRefusal::NotAllowed;
            case 728:
                return RouterRefusal::NoRoom;
            default:
                return RouterRefusal::Other;
        }
    }
    switch (code) {
        case 2:
            return RouterRefusal::NotAllowed;
        case 3:
            return RouterRefusal::NotConnected;
        case 4:
            return RouterRefusal::NoRoom;
        default:
            return RouterRefusal::Other;
    }
}

}  // namespace spinvale::net
