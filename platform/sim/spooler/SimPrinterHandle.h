#pragma once

#include <memory>

#include "SpoolerReader.h"

namespace platform::sim::spooler {

// An open queue, found again by its id on every call so that it follows renames and learns of
// its deletion, as a Windows printer handle does.
std::unique_ptr<PrinterHandle> makeQueueHandle(std::shared_ptr<SpoolerReader> reader, int queueId,
                                               std::uint32_t access);
// The print server ("\\computer"): only change notifications are served on it.
std::unique_ptr<PrinterHandle> makeServerHandle(std::shared_ptr<SpoolerReader> reader,
                                                std::uint32_t access);

}  // namespace platform::sim::spooler
