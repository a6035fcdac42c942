#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "Locklist.h"
#include "Qkscatalogue.h"

// One command of a configuration script: the 20-byte section record as
// scripts store it (little-endian), with access to the catalogue.
//   0: command (1 Create, 2 Modify, 3 Delete)   4: structure (1..32)
//   8: item id (s32)   12: operator (1..7)   16: operand (s32)
// Bytes 1..3, 5..7 and 13..15 are kept but not interpreted.
class TQKSFileSection {
public:
    static constexpr std::size_t KRecordSize = 20;
    using TRecord = std::array<std::uint8_t, KRecordSize>;

    TQKSFileSection() { FRecord.fill(0); }
    explicit TQKSFileSection(const TRecord& record) : FRecord(record) {}

    const TRecord& Record() const { return FRecord; }
    TRecord& Record() { return FRecord; }

    std::uint8_t Command() const { return FRecord[0]; }
    std::uint8_t Structure() const { return FRecord[4]; }
    void SetStructure(std::uint8_t structure) { FRecord[4] = structure; }
    std::int32_t ItemId() const { return Word(8); }
    std::uint8_t Operator() const { return FRecord[12]; }
    std::int32_t Operand() const { return Word(16); }

    // The catalogue name of Structure, or "Invalid".
    std::string StructureName() const;
    // 1 for structures 2..4, 2 for 6..8, 3 for 10..32, 0 otherwise.
    int Group() const { return GroupOf(Structure()); }
    static int GroupOf(int structure);
    // The field list of a structure, or nullptr (pointer tables, numbers
    // outside 1..32).
    static const TQKSCfgItemList* ItemsOf(int structure) { return CatalogueItemsOf(structure); }
    // The field this section names, or nullptr.
    const TQKSCfgItem* Item() const;

    // The catalogue lists.
    static const TQKSItemList& Commands() { return CatalogueCommands(); }
    static const TQKSItemList& Structures() { return CatalogueStructures(); }
    static const TQKSItemList& Operators() { return CatalogueOperators(); }

private:
    std::int32_t Word(std::size_t at) const;

    TRecord FRecord;
};

// An owning locked list of sections, in script order.
class TQKSFileSectionList : public TOwningLockList<TQKSFileSection> {};
