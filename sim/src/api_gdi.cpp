// GDI32: stock objects.
#include "api_support.h"

struct SimGdiObject {
  int stock;
};

HGDIOBJ GetStockObject(int object) {
  static SimGdiObject stock[6] = {{0}, {1}, {2}, {3}, {4}, {5}};
  if (object < 0 || object > NULL_BRUSH) return nullptr;
  return &stock[object];
}
