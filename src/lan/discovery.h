// Finding readers with the network module's datagrams: the search over every
// adapter, name resolution, and the reachability check that opens a
// configuration handle.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lan/adapters.h"
#include "lan/config_handle.h"

namespace orvex::lan {

// Address texts of every device answering the record-0 broadcast on any
// adapter, in ascending byte order without duplicates. With verify on, only
// devices whose record 2 names one of the maker's readers stay, and an entry
// "[name]a.b.c.d-port" becomes "[name]".
//
// All adapters are asked at once and each entry is verified as soon as it
// arrives, so a search lasts about one timeout however many adapters and
// readers there are.
std::vector<std::string> search(const std::vector<NetworkAdapter> &adapters, milliseconds timeout, bool verify);

// The same result by the plain algorithm: one adapter after the other, and
// each adapter's entries verified one after the other once its collection
// ended. Kept as the reference the concurrent search is measured against.
std::vector<std::string> searchSequential(const std::vector<NetworkAdapter> &adapters, milliseconds timeout,
                                          bool verify);

// "a.b.c.d-port" of the reader whose module reports name as its name
// ("[name]", with brackets) while it answers from an address other than its
// configured one. Each adapter is asked for at most timeout in total. Empty
// when nobody answered.
std::string resolve(std::string_view bracketedName, const std::vector<NetworkAdapter> &adapters,
                    milliseconds timeout);

inline constexpr milliseconds kResolveTimeout{200};

// Finds the reader of an address text on the first adapter where its module
// answers; nullptr when it answers nowhere.
std::unique_ptr<ConfigHandle> check(std::string_view address, const std::vector<NetworkAdapter> &adapters);

}  // namespace orvex::lan
