#pragma once
#include <cstdint>

#include "Qksitem.h"

// The constant catalogue of configuration scripts: the commands, operators and
// structures by number and name, and the field list of every structure. The
// lists are built once, on first use, and live for the whole process.

// Script commands.
enum : std::uint8_t { KCommandCreate = 1, KCommandModify = 2, KCommandDelete = 3 };

// Modify operators.
enum : std::uint8_t {
    KOperatorEqual = 1,
    KOperatorAdd = 2,
    KOperatorSubtract = 3,
    KOperatorMultiply = 4,
    KOperatorDivide = 5,
    KOperatorOr = 6,
    KOperatorAnd = 7,
};

// The pointer-table structures, which have no field list.
enum : std::uint8_t { KStructROFlashTable = 1, KStructRWFlashTable = 5, KStructFramTable = 9 };

// 1 "Create", 3 "Delete", 2 "Modify", in this order.
const TQKSItemList& CatalogueCommands();
// 1 "Equal [=]" .. 7 "AND [&=]".
const TQKSItemList& CatalogueOperators();
// The 32 structures, 1 "RO Flash Table" .. 32 "Multiple Map Switch", in
// catalogue order.
const TQKSItemList& CatalogueStructures();
// The field list of a structure, in item-id order; nullptr for the pointer
// tables (1, 5, 9) and numbers outside 1..32.
const TQKSCfgItemList* CatalogueItemsOf(int structure);
// The size in bytes of a structure (1..32), 0 for other numbers.
int CatalogueStructureSize(int structure);
