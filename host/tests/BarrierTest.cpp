#include "host/Barrier.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "host/PlugIn.h"
#include "host/headless/HeadlessModel.h"
#include "host/headless/HeadlessUi.h"

namespace kx {
namespace {

// A plug-in object whose job throws whatever the test gives it.
template <ModelOnFailure onFailure>
class ThrowingPlugIn final : public PlugInObject<ThrowingPlugIn<onFailure>> {
  public:
    using Base = PlugInObject<ThrowingPlugIn<onFailure>>;
    ThrowingPlugIn(HostServices& host, std::function<void()> job) : Base(host), job_(job) {}
    int KX_PLUGIN_CALL GetType() override { return eTypeExport; }
    const char* KX_PLUGIN_CALL GetTitle() override { return "thrower"; }
    static constexpr ModelOnFailure kModelOnFailure = onFailure;

    int Run(msModel* model) {
        if (!model) {
            return -1;
        }
        job_();
        return 0;
    }

  private:
    std::function<void()> job_;
};

struct Model {
    Model() { msModel_AddMesh(m); }
    ~Model() { kxModel_Free(m); }
    msModel* m = kxModel_Create();
};

template <ModelOnFailure onFailure>
int Execute(HeadlessUi& ui, msModel* model, std::function<void()> job) {
    HostServices host{&ui};
    ThrowingPlugIn<onFailure> plugIn(host, std::move(job));
    cMsPlugIn& base = plugIn;
    return base.Execute(model);
}

TEST(Barrier, TurnsEveryExceptionIntoAMessageAndAFailedRun) {
    struct Case {
        std::function<void()> job;
        std::string message;
    };
    const Case cases[] = {
        {[] { throw std::bad_alloc(); }, "There is not enough memory to finish."},
        {[] { throw std::runtime_error("node list cut short"); },
         "The job stopped on an internal error: node list cut short"},
        {[] { throw 42; }, "The job stopped on an internal error: an exception of unknown type"},
    };
    for (const Case& c : cases) {
        HeadlessUi ui;
        Model model;
        EXPECT_EQ(Execute<ModelOnFailure::Release>(ui, model.m, c.job), -1);
        EXPECT_EQ(ui.messages, (std::vector<RecordedMessage>{
                                   {c.message, "Error", MessageIcon::Error, MessageButtons::Ok}}));
        EXPECT_EQ(msModel_GetMeshCount(model.m), 0);
    }
}

TEST(Barrier, AnImporterKeepsTheModelAndAQuietRunPassesThrough) {
    HeadlessUi ui;
    Model model;
    EXPECT_EQ(Execute<ModelOnFailure::Keep>(ui, model.m, [] { throw std::logic_error("x"); }), -1);
    EXPECT_EQ(msModel_GetMeshCount(model.m), 1);
    ASSERT_EQ(ui.messages.size(), 1u);

    HeadlessUi quiet;
    EXPECT_EQ(Execute<ModelOnFailure::Release>(quiet, model.m, [] {}), 0);
    EXPECT_EQ(Execute<ModelOnFailure::Release>(quiet, nullptr, [] {}), -1);
    EXPECT_TRUE(quiet.messages.empty());
    EXPECT_EQ(msModel_GetMeshCount(model.m), 1);
}

}  // namespace
}  // namespace kx
