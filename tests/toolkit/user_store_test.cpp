#include "tests/common/message_of.h"
#include "toolkit/core/user_store.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct UserStore : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
  }
  QTemporaryDir dir;
};

TEST_F(UserStore, KeysAreMadeOnlyWhenAskedBothSeparatorsWorkTheFileIsTheApplicationsOwn) {
  TUserStore store;
  EXPECT_FALSE(store.OpenKey("Software\\Orvix", false));
  EXPECT_FALSE(QFile::exists(TUserStore::FileName()));
  for (const char* blank : {"", "\\\\"}) EXPECT_FALSE(store.OpenKey(blank, true)) << blank;
  EXPECT_THROW(store.WriteInteger("x", 1), EUserStoreError);

  ASSERT_TRUE(store.OpenKey("Software\\Orvix\\", true));
  store.WriteInteger("Width", 45);
  store.CloseKey();
  ASSERT_TRUE(store.OpenKey("/Software/Orvix", false));
  EXPECT_EQ(std::tuple(store.GetValueNames(), store.ReadInteger("Width")), std::tuple(QStringList{"Width"}, 45));
  EXPECT_TRUE(store.OpenKey("Software", false)) << "a key holding keys exists";
  EXPECT_TRUE(store.GetValueNames().isEmpty());
  const QString app = QCoreApplication::applicationName();
  EXPECT_EQ(TUserStore::FileName(), dir.path() + "/" + app + "/" + app + ".conf");
  QCoreApplication::setOrganizationName("Orvix");
  EXPECT_EQ(TUserStore::FileName(), dir.path() + "/Orvix/" + app + ".conf");
  QCoreApplication::setOrganizationName(QString());
}

TEST_F(UserStore, AnyNameCanHoldAValue) {
  const QStringList names{"Receive Time", "a/b", "a\\b", "100%", "%2F", "%5C", "x=y; z", "Größe"};
  {
    TUserStore store;
    ASSERT_TRUE(store.OpenKey("K", true));
    for (int i = 0; i < names.size(); ++i) store.WriteInteger(names[i], i + 1);
  }
  TUserStore store;
  ASSERT_TRUE(store.OpenKey("K", false));
  auto sorted = [](QStringList l) { l.sort(); return l; };
  EXPECT_EQ(sorted(store.GetValueNames()), sorted(names));
  for (int i = 0; i < names.size(); ++i) EXPECT_EQ(store.ReadInteger(names[i]), i + 1) << names[i].toStdString();
}

TEST_F(UserStore, OnlyIntegersOfThirtyTwoBitsAreRead) {
  {
    QSettings raw(QSettings::NativeFormat, QSettings::UserScope, QCoreApplication::applicationName(),
                  QCoreApplication::applicationName());
    raw.beginGroup("K");
    for (const char* v : {"12", "-7", " 8 ", "2147483647", "2147483648", "12abc", "1.5", "", "0x10"})
      raw.setValue(QString("v") + v, v);
    raw.setValue("list", QStringList{"1", "2"});
  }
  TUserStore store;
  ASSERT_TRUE(store.OpenKey("K", false));
  EXPECT_EQ((std::vector{store.ReadInteger("v12"), store.ReadInteger("v-7"), store.ReadInteger("v 8 "),
                         store.ReadInteger("v2147483647")}), (std::vector{12, -7, 8, 2147483647}));
  for (const char* bad : {"v2147483648", "v12abc", "v1.5", "v", "v0x10", "list", "missing"})
    EXPECT_THROW(store.ReadInteger(bad), EUserStoreError) << bad;
  EXPECT_EQ(MessageOf([&] { store.ReadInteger("v1.5"); }),
            "The value \"v1.5\" in the user settings store is not an integer");
}

}  // namespace
