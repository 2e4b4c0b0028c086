#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "korval_platform/host.h"
#include "raster/rast_png.h"
#include "raster_test_util.h"

namespace {

TEST(PngResource, LoadsFromTheMainBundlesResourceFolder) {
  std::string bundle = testing::TempDir() + "raster_bundle.app";
  std::filesystem::create_directories(bundle + "/Contents/Resources");
  RAST_MemBitmap src(7, 3);
  rast_test::FillPattern(&src);
  ASSERT_TRUE(RAST_WritePNG((bundle + "/Contents/Resources/knob.png").c_str(), &src, RAST_PNGFormat()));
  KorvSetMainBundle("com.BrightmoorAudio.raster-test", bundle.c_str());

  std::unique_ptr<RAST_IBitmap> got(RAST_LoadPNGFromNamedResource("knob.png"));
  ASSERT_TRUE(got);
  EXPECT_TRUE(rast_test::SamePixels(got.get(), &src));
  EXPECT_EQ(RAST_LoadPNGFromNamedResource("missing.png"), nullptr);
  EXPECT_EQ(RAST_LoadPNGFromNamedResource(std::string(401, 'a').c_str()), nullptr);
  EXPECT_EQ(RAST_LoadPNGFromNamedResource(nullptr), nullptr);
}

}  // namespace
