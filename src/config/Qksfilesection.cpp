#include "Qksfilesection.h"

std::int32_t TQKSFileSection::Word(std::size_t at) const {
    const std::uint32_t v = static_cast<std::uint32_t>(FRecord[at]) | (static_cast<std::uint32_t>(FRecord[at + 1]) << 8) |
                            (static_cast<std::uint32_t>(FRecord[at + 2]) << 16) |
                            (static_cast<std::uint32_t>(FRecord[at + 3]) << 24);
    return static_cast<std::int32_t>(v);
}

std::string TQKSFileSection::StructureName() const {
    const TQKSItem* item = Structures().FindById(Structure());
    return item ? item->Name() : "Invalid";
}

int TQKSFileSection::GroupOf(int structure) {
    if (structure >= 2 && structure <= 4)
        return 1;
    if (structure >= 6 && structure <= 8)
        return 2;
    if (structure >= 10 && structure <= 32)
        return 3;
    return 0;
}

const TQKSCfgItem* TQKSFileSection::Item() const {
    const TQKSCfgItemList* items = ItemsOf(Structure());
    return items ? items->FindById(ItemId()) : nullptr;
}
