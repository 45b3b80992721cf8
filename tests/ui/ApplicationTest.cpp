#include <gtest/gtest.h>

#include "app/ui/Application.h"

namespace {

class QuittingDelegate : public ui::ApplicationDelegate {
 public:
  void applicationDidFinishLaunching() override {
    ++launches;
    ui::Application::shared()->terminate();
  }
  int launches = 0;
};

TEST(Application, RunsTheLaunchStepFirstAndReturnsOnceTerminated) {
  auto delegate = std::make_shared<QuittingDelegate>();
  auto application = ui::Application::shared();
  EXPECT_EQ(application, ui::Application::shared());
  application->setDelegate(delegate);
  EXPECT_EQ(application->run(), 0);
  EXPECT_EQ(delegate->launches, 1);
}

}  // namespace
