#include "core/CollectionErrors.h"

#include <cstdint>
#include <limits>
#include <string>

namespace zintra {

ETextTooLong::ETextTooLong()
    : Exception("The collection is too long: the message bar holds at most " +
                std::to_string(std::numeric_limits<std::int32_t>::max()) + " characters") {}

ECollectionChanged::ECollectionChanged()
    : Exception("The collection changed while it was being read") {}

ECollectionTooLarge::ECollectionTooLarge()
    : Exception("The collection is too large for the memory available") {}

} // namespace zintra
