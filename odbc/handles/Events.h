#pragma once
// The library's event types (an empty function means "not assigned").
#include <cstdint>
#include <functional>
#include <string>

class EODBC;
class THbase;
class TComponent;

// Return false to suppress the exception: the failed call then counts as done.
using TODBCExceptionEvent = std::function<bool(THbase* sender, EODBC& e)>;
// Return true to go on with the operation DefaultMsg describes.
using TConfirmEvent = std::function<bool(TComponent* sender, const std::string& defaultMsg)>;
// Operation is a row flag (rfUpdate 1, rfDelete 2, rfRefresh 4, rfInsert 8); SQL may be replaced.
using TStatementEvent = std::function<void(TComponent* sender, std::uint16_t operation, std::string& sql)>;
using TRowCountEvent = std::function<std::int32_t(TComponent* sender)>;
