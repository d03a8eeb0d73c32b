#pragma once
// Builds JDK bundle Info.plist files for tests, in XML or binary form, with libplist itself.

#include <QByteArray>

#include <plist/plist.h>

#include <cstdlib>

namespace qlan::test {

enum class PlistFormat { xml, binary };

inline QByteArray serialise(plist_t root, PlistFormat format) {
    char* bytes = nullptr;
    uint32_t length = 0;
    if (format == PlistFormat::binary)
        plist_to_bin(root, &bytes, &length);
    else
        plist_to_xml(root, &bytes, &length);
    QByteArray data(bytes, static_cast<qsizetype>(length));
    std::free(bytes);
    plist_free(root);
    return data;
}

// {CFBundleIdentifier, JavaVM: {JVMVendor, JVMVersion (when given), JVMPlatformVersion}}.
inline plist_t jdkInfoPlistNode(const char* jvmVersion) {
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "CFBundleIdentifier", plist_new_string("net.example.jdk"));
    plist_t javaVM = plist_new_dict();
    plist_dict_set_item(javaVM, "JVMVendor", plist_new_string("Example Vendor"));
    if (jvmVersion) plist_dict_set_item(javaVM, "JVMVersion", plist_new_string(jvmVersion));
    plist_dict_set_item(javaVM, "JVMPlatformVersion", plist_new_uint(21));
    plist_dict_set_item(root, "JavaVM", javaVM);
    return root;
}

inline QByteArray jdkInfoPlist(const char* jvmVersion, PlistFormat format) {
    return serialise(jdkInfoPlistNode(jvmVersion), format);
}

} // namespace qlan::test
