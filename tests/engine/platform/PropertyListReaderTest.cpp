#include "platform/PropertyListReader.h"
#include "PlistFixture.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

using namespace qlan;

namespace {

using test::PlistFormat;

QByteArray toBinary(plist_t node) {
    return test::serialise(node, PlistFormat::binary);
}
QByteArray toXml(plist_t node) {
    return test::serialise(node, PlistFormat::xml);
}
plist_t jdkPlist(const char* version) {
    return test::jdkInfoPlistNode(version);
}

const QStringList jvmVersionPath{"JavaVM", "JVMVersion"};

} // namespace

TEST(PropertyListReader, ReadsNestedStringsFromBinaryAndXmlPlists) {
    const QByteArray binary = toBinary(jdkPlist("21.0.2"));
    ASSERT_TRUE(binary.startsWith("bplist00"));
    EXPECT_EQ(PropertyListReader::string(binary, jvmVersionPath), "21.0.2");
    EXPECT_EQ(PropertyListReader::string(binary, {"CFBundleIdentifier"}), "net.example.jdk");

    const QByteArray xml = toXml(jdkPlist("1.8.0_392"));
    ASSERT_TRUE(xml.startsWith("<?xml"));
    EXPECT_EQ(PropertyListReader::string(xml, jvmVersionPath), "1.8.0_392");

    // A file written by hand, as Apple's tools write them, with non-ASCII text.
    const QByteArray handWritten = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>JavaVM</key>
	<dict>
		<key>JVMVersion</key>
		<string>17.0.9 – Zürich build</string>
	</dict>
</dict>
</plist>
)";
    EXPECT_EQ(PropertyListReader::string(handWritten, jvmVersionPath),
              QStringLiteral("17.0.9 – Zürich build"));
}

TEST(PropertyListReader, AnyOtherShapeOrDataGivesNothing) {
    EXPECT_EQ(PropertyListReader::string(toBinary(jdkPlist(nullptr)), jvmVersionPath), std::nullopt);
    // The last step is not a string; a middle step is not a dictionary.
    EXPECT_EQ(PropertyListReader::string(toBinary(jdkPlist("21")), {"JavaVM", "JVMPlatformVersion"}),
              std::nullopt);
    EXPECT_EQ(PropertyListReader::string(toBinary(jdkPlist("21")), {"CFBundleIdentifier", "JVMVersion"}),
              std::nullopt);

    // JavaVM as an array, and a top level that is not a dictionary.
    plist_t arrayRoot = plist_new_dict();
    plist_t array = plist_new_array();
    plist_array_append_item(array, plist_new_string("21"));
    plist_dict_set_item(arrayRoot, "JavaVM", array);
    EXPECT_EQ(PropertyListReader::string(toBinary(arrayRoot), jvmVersionPath), std::nullopt);
    EXPECT_EQ(PropertyListReader::string(toXml(plist_new_string("JavaVM")), jvmVersionPath), std::nullopt);

    EXPECT_EQ(PropertyListReader::string(QByteArray(), jvmVersionPath), std::nullopt);
    EXPECT_EQ(PropertyListReader::string("not a property list", jvmVersionPath), std::nullopt);
    EXPECT_EQ(PropertyListReader::string("bplist00 truncated", jvmVersionPath), std::nullopt);
    EXPECT_EQ(
        PropertyListReader::string("<?xml version=\"1.0\"?><plist><dict><key>JavaVM</key>", jvmVersionPath),
        std::nullopt);
    const QByteArray binary = toBinary(jdkPlist("21.0.2"));
    EXPECT_EQ(PropertyListReader::string(binary.left(binary.size() / 2), jvmVersionPath), std::nullopt);
}
