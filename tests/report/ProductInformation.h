// Product-information files and replies as a server would send them, for the version check's tests.
#pragma once

#include <optional>
#include <string>

namespace ProductInformation {

// A product-information property list publishing version, with release notes when given.
std::string File(const std::string& version, const std::optional<std::string>& notes = std::nullopt);
// An HTTP/1.0 reply carrying body.
std::string Reply(const std::string& body);

}
