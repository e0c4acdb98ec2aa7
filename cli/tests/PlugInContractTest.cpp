#include <gtest/gtest.h>

#include "exporter/TarrowPlugIn.h"
#include "host/headless/HeadlessModel.h"
#include "host/headless/HeadlessUi.h"
#include "importer/CVornPlugIn.h"
#include "surface/BrasketPlugIn.h"

namespace kx {
namespace {

template <class PlugIn>
void ExpectContract(int type, const char* title) {
    HeadlessUi ui;
    HostServices host{&ui};
    PlugIn plugIn(host);
    cMsPlugIn& base = plugIn;
    EXPECT_EQ(base.GetType(), type);
    EXPECT_STREQ(base.GetTitle(), title);
    EXPECT_EQ(base.Execute(nullptr), -1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(PlugInContract, TypesTitlesAndNullModel) {
    ExpectContract<TarrowPlugIn>(2, "Kaltrix CMP V0.3");
    ExpectContract<CVornPlugIn>(1, "Kaltrix CMP Importer V2.7");
    ExpectContract<BrasketPlugIn>(2, "Kaltrix SUR Export V1.1");
}

}  // namespace
}  // namespace kx
