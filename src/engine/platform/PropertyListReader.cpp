#include "platform/PropertyListReader.h"

#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>

namespace qlan::PropertyListReader {
namespace {

struct PlistDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

} // namespace

std::optional<QString> string(const QByteArray& data, const QStringList& keyPath) {
    if (data.isEmpty() || keyPath.isEmpty()) return std::nullopt;
    if (static_cast<quint64>(data.size()) > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;

    plist_t parsed = nullptr;
    plist_from_memory(data.constData(), static_cast<std::uint32_t>(data.size()), &parsed);
    const PlistPtr root(parsed);
    if (!root) return std::nullopt;

    plist_t node = root.get();
    for (const QString& key : keyPath) {
        if (plist_get_node_type(node) != PLIST_DICT) return std::nullopt;
        node = plist_dict_get_item(node, key.toUtf8().constData());
        if (!node) return std::nullopt;
    }
    if (plist_get_node_type(node) != PLIST_STRING) return std::nullopt;

    char* value = nullptr;
    plist_get_string_val(node, &value);
    if (!value) return std::nullopt;
    QString text = QString::fromUtf8(value);
    std::free(value);
    return text;
}

} // namespace qlan::PropertyListReader
