#include "db/engine/mdb/sort_order.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace db::engine::mdb {
namespace {

struct NamedLocale {
  uint32_t locale;
  std::string_view name;
};

// The orders Access offers for new databases, and the sort variants
// (third byte) Windows defines for their languages.
constexpr std::array<NamedLocale, 28> kNames = {{
    {0x00400, "Neutral"},
    {0x00401, "Arabisch"},
    {0x00404, "Chinesisch (traditionell)"},
    {0x00405, "Tschechisch"},
    {0x00406, "Norwegisch/Dänisch"},
    {0x00407, "Deutsch"},
    {0x10407, "Deutsch (Telefonbuch)"},
    {0x00408, "Griechisch"},
    {0x0040A, "Spanisch (traditionell)"},
    {0x0040D, "Hebräisch"},
    {0x0040E, "Ungarisch"},
    {0x1040E, "Ungarisch (technisch)"},
    {0x0040F, "Isländisch"},
    {0x00411, "Japanisch"},
    {0x00412, "Koreanisch"},
    {0x00413, "Niederländisch"},
    {0x00415, "Polnisch"},
    {0x00418, "Rumänisch"},
    {0x00419, "Russisch (Kyrillisch)"},
    {0x0041A, "Kroatisch"},
    {0x0041B, "Slowakisch"},
    {0x0041D, "Finnisch/Schwedisch"},
    {0x0041E, "Thailändisch"},
    {0x0041F, "Türkisch"},
    {0x00422, "Ukrainisch"},
    {0x00424, "Slowenisch"},
    {0x00425, "Estnisch"},
    {0x00804, "Chinesisch (vereinfacht)"},
}};

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

}  // namespace

SortOrder ReadSortOrder(const ByteView& view, size_t offset) {
  return {view.U16(offset) | uint32_t{view.U8(offset + 2)} << 16, view.U8(offset + 3)};
}

std::string SortOrderName(SortOrder order) {
  const std::string version =
      order.version == 0 ? "" : " Version " + std::to_string(order.version);
  // Access 2010 and later call the old General order "Allgemein – Legacy"
  // and their own (version 1) "Allgemein".
  if (order.locale == kGeneralSortOrder.locale) {
    if (order.version == 0) return "Allgemein – Legacy";
    if (order.version == 1) return "Allgemein";
    return "Allgemein" + version;
  }
  for (const NamedLocale& named : kNames)
    if (named.locale == order.locale) return std::string(named.name) + version;
  return Hex(order.locale) + version;
}

}  // namespace db::engine::mdb
