#pragma once
#include <QIcon>

// The pictures of the main window's image list that the map tree uses,
// drawn by the program: 18 root of an imported (".qkm") map, 20 table,
// 21 position or group folder, 24 root of an older (".qzm") map, 26 root of
// any other map. Other indices give a null icon.
QIcon TreeImage(int index);
