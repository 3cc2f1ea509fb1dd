// SPDX-License-Identifier: GPL-3.0-or-later
// The device table on a fake Direct3D object: which modes are listed and in what order, the
// full-screen and depth choices, the starting device with its warnings, and opening the device with
// the fall-back to the reference device.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "framework/app_framework.h"
#include "tests/framework/fake_direct3d.h"

namespace {

class TableApp : public AppFramework {
public:
    // Formats and device types the application turns down.
    D3DDEVTYPE rejectType = static_cast<D3DDEVTYPE>(0);
    D3DFORMAT rejectFormat = D3DFMT_UNKNOWN;
    HRESULT createResult = S_OK;
    int createCalls = 0;

    HRESULT ApplyWindowStyle() override { return S_OK; }
    HRESULT AcceptDevice(const D3DCAPS8* caps, DWORD, D3DFORMAT format) override
    {
        const bool typeRejected = caps->DeviceType == rejectType;
        const bool formatRejected = rejectFormat == D3DFMT_UNKNOWN || format == rejectFormat;
        return typeRejected && formatRejected ? E_FAIL : S_OK;
    }
    HRESULT CreateDeviceResources() override
    {
        ++createCalls;
        return createResult;
    }
};

class DeviceTableTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("FIREWORKS_MESSAGE_BOX", "stderr", 1); }
    void TearDown() override
    {
        if (app.device != nullptr) {
            app.device->Release();
            app.device = nullptr;
        }
    }

    // Enumerates on the fake and returns the result; the boxes shown land in `boxes`.
    HRESULT Enumerate()
    {
        app.d3d = &fake;
        testing::internal::CaptureStderr();
        const HRESULT hr = app.EnumerateDevices();
        boxes = testing::internal::GetCapturedStderr();
        return hr;
    }
    const DeviceInfo& Hal() { return app.adapters[0].devices[0]; }

    FakeDirect3D fake;
    TableApp app;
    std::string boxes;
};

constexpr D3DFORMAT X8 = D3DFMT_X8R8G8B8;
constexpr D3DFORMAT R565 = D3DFMT_R5G6B5;

TEST_F(DeviceTableTest, ModesCollapseRefreshRatesDropSmallSizesAndSortByFormatThenSize)
{
    fake.adapters = {CapableAdapter({{800, 600, 60, X8}, {640, 480, 60, X8}, {640, 480, 75, X8},
                                     {320, 240, 60, X8}, {640, 350, 60, X8}, {600, 480, 60, X8},
                                     {1024, 768, 60, R565}, {640, 480, 60, R565}, {640, 400, 60, X8}})};
    ASSERT_EQ(Enumerate(), S_OK);
    ASSERT_EQ(app.adapterCount, 1u);
    ASSERT_EQ(app.adapters[0].deviceCount, 2u);
    const DeviceInfo& hal = Hal();
    const UINT expected[][3] = {{640, 480, R565}, {1024, 768, R565}, {640, 400, X8}, {640, 480, X8}, {800, 600, X8}};
    ASSERT_EQ(hal.modeCount, std::size(expected));
    for (UINT i = 0; i < hal.modeCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(hal.modes[i].width, expected[i][0]);
        EXPECT_EQ(hal.modes[i].height, expected[i][1]);
        EXPECT_EQ(static_cast<UINT>(hal.modes[i].format), expected[i][2]);
    }
    // The 16-bit 640 x 480 mode is the full-screen choice even though a 32-bit one exists.
    EXPECT_EQ(hal.currentMode, 0u);
    EXPECT_EQ(app.currentAdapter, 0u);
    EXPECT_EQ(app.adapters[0].currentDevice, 0u);
    EXPECT_TRUE(app.windowed);
    EXPECT_TRUE(boxes.empty()) << boxes;
}

TEST_F(DeviceTableTest, FullScreenModeFallsBackToThirtyTwoBitsOrToTheFirstMode)
{
    fake.adapters = {CapableAdapter({{1024, 768, 60, X8}, {640, 480, 60, X8}, {800, 600, 60, R565}})};
    ASSERT_EQ(Enumerate(), S_OK);
    EXPECT_EQ(Hal().currentMode, 1u);
    EXPECT_EQ(Hal().modes[1].width, 640u);
    EXPECT_EQ(Hal().modes[1].format, X8);

    TableApp other;
    other.d3d = &fake;
    fake.adapters = {CapableAdapter({{1024, 768, 60, X8}, {800, 600, 60, X8}})};
    ASSERT_EQ(other.EnumerateDevices(), S_OK);
    EXPECT_EQ(other.adapters[0].devices[0].currentMode, 0u);
    EXPECT_EQ(other.adapters[0].devices[0].modes[0].width, 800u);
}

TEST_F(DeviceTableTest, DepthFormatPrefersD16AndAFormatWithoutOneIsNotAccepted)
{
    app.useDepthBuffer = true;
    fake.adapters = {CapableAdapter({{640, 480, 60, X8}, {800, 600, 60, X8}})};
    fake.adapters[0].hal.depthFormats = {D3DFMT_D32, D3DFMT_D24S8, D3DFMT_D16};
    ASSERT_EQ(Enumerate(), S_OK);
    for (UINT i = 0; i < Hal().modeCount; ++i) {
        EXPECT_EQ(Hal().modes[i].depthStencilFormat, D3DFMT_D16);
    }

    // Eight stencil bits rule out every candidate but D24S8.
    TableApp stencil;
    stencil.d3d = &fake;
    stencil.useDepthBuffer = true;
    stencil.minStencilBits = 8;
    ASSERT_EQ(stencil.EnumerateDevices(), S_OK);
    EXPECT_EQ(stencil.adapters[0].devices[0].modes[0].depthStencilFormat, D3DFMT_D24S8);

    TableApp none;
    none.d3d = &fake;
    none.useDepthBuffer = true;
    fake.adapters[0].hal.depthFormats.clear();
    fake.adapters[0].ref.depthFormats.clear();
    EXPECT_EQ(none.EnumerateDevices(), D3DAPPERR_NOCOMPATIBLEDEVICES);
}

TEST_F(DeviceTableTest, VertexProcessingPrefersPureHardwareAndFallsBackToSoftware)
{
    fake.adapters = {CapableAdapter({{640, 480, 60, X8}})};
    fake.adapters[0].hal.caps.DevCaps |= D3DDEVCAPS_PUREDEVICE;
    fake.adapters[0].ref.caps.DevCaps = 0;
    ASSERT_EQ(Enumerate(), S_OK);
    EXPECT_EQ(Hal().modes[0].behaviorFlags, D3DCREATE_PUREDEVICE | D3DCREATE_HARDWARE_VERTEXPROCESSING);
    EXPECT_EQ(app.adapters[0].devices[1].modes[0].behaviorFlags, D3DCREATE_SOFTWARE_VERTEXPROCESSING);
}

TEST_F(DeviceTableTest, EnumerationFailsWithoutAnyModeOrWithoutAWindowedDevice)
{
    EXPECT_EQ(Enumerate(), D3DAPPERR_NOCOMPATIBLEDEVICES);

    // A desktop format no device takes still lists the full-screen modes, but nothing can start windowed.
    TableApp fullScreenOnly;
    fullScreenOnly.d3d = &fake;
    fake.adapters = {CapableAdapter({{640, 480, 60, R565}})};
    fake.adapters[0].hal.formats = {R565};
    fake.adapters[0].ref.formats = {R565};
    EXPECT_EQ(fullScreenOnly.EnumerateDevices(), D3DAPPERR_NOWINDOWABLEDEVICES);
    EXPECT_EQ(fullScreenOnly.adapterCount, 1u);
}

TEST_F(DeviceTableTest, TheWindowedDeviceOfALaterAdapterIsChosen)
{
    fake.adapters = {CapableAdapter({{640, 480, 60, R565}}), CapableAdapter({{640, 480, 60, X8}})};
    fake.adapters[0].hal.formats = {R565};
    fake.adapters[0].ref.formats = {R565};
    ASSERT_EQ(Enumerate(), S_OK);
    EXPECT_EQ(app.adapterCount, 2u);
    EXPECT_EQ(app.currentAdapter, 1u);
    EXPECT_EQ(app.CurrentDevice().type, D3DDEVTYPE_HAL);
}

// Each way of ending up on the reference device names its own reason.
TEST_F(DeviceTableTest, ChoosingTheReferenceDeviceWarnsWithTheFirstReasonThatApplies)
{
    struct Case {
        const char* name;
        void (*setUp)(FakeAdapter&, TableApp&);
        const char* text;
    };
    const Case cases[] = {
        {"no HAL", [](FakeAdapter& a, TableApp&) { a.hal.present = false; },
         "No hardware-accelerated Direct3D devices\nwere found."},
        {"HAL accepts no mode", [](FakeAdapter&, TableApp& t) { t.rejectType = D3DDEVTYPE_HAL; },
         "not available on your Direct3D hardware\naccelerator.\n"},
        {"HAL cannot draw windowed", [](FakeAdapter& a, TableApp&) { a.hal.caps.Caps2 = 0; },
         "Your Direct3D hardware accelerator cannot\nrender into a window.\n"},
        {"HAL lacks the desktop format", [](FakeAdapter& a, TableApp&) { a.hal.formats = {R565}; },
         "render into a window with the current\ndesktop display settings."},
        {"HAL turns down the desktop format",
         [](FakeAdapter&, TableApp& t) {
             t.rejectType = D3DDEVTYPE_HAL;
             t.rejectFormat = X8;
         },
         "accelerator with the current desktop display\nsettings."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDirect3D direct3d;
        direct3d.adapters = {CapableAdapter({{640, 480, 60, X8}, {640, 480, 60, R565}})};
        TableApp reference;
        c.setUp(direct3d.adapters[0], reference);
        reference.d3d = &direct3d;
        testing::internal::CaptureStderr();
        EXPECT_EQ(reference.EnumerateDevices(), S_OK);
        const std::string shown = testing::internal::GetCapturedStderr();
        EXPECT_EQ(reference.CurrentDevice().type, D3DDEVTYPE_REF);
        EXPECT_NE(shown.find(c.text), std::string::npos) << shown;
        EXPECT_NE(shown.find("Switching to the reference rasterizer"), std::string::npos) << shown;
    }
}

TEST_F(DeviceTableTest, AFailedHardwareDeviceFallsBackOnceToTheReferenceDevice)
{
    fake.adapters = {CapableAdapter({{640, 480, 60, X8}})};
    fake.adapters[0].hal.createResult = D3DERR_OUTOFVIDEOMEMORY;
    ASSERT_EQ(Enumerate(), S_OK);
    testing::internal::CaptureStderr();
    EXPECT_EQ(app.OpenDevice(), S_OK);
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("Not enough video memory.\n\nSwitching to the reference rasterizer"), std::string::npos)
        << shown;
    EXPECT_EQ(fake.createdTypes, (std::vector<D3DDEVTYPE>{D3DDEVTYPE_HAL, D3DDEVTYPE_REF}));
    ASSERT_NE(app.device, nullptr);
    EXPECT_TRUE(app.active);
    EXPECT_TRUE(app.windowed);
}

TEST_F(DeviceTableTest, MissingMediaFailsWithoutTryingTheReferenceDeviceAndReleasesIt)
{
    fake.adapters = {CapableAdapter({{640, 480, 60, X8}})};
    app.createResult = D3DAPPERR_MEDIANOTFOUND;
    ASSERT_EQ(Enumerate(), S_OK);
    testing::internal::CaptureStderr();
    EXPECT_EQ(app.OpenDevice(), D3DAPPERR_MEDIANOTFOUND);
    // Another device would not find the file either: no box about switching, the caller reports once.
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_EQ(shown, "") << shown;
    EXPECT_EQ(app.createCalls, 1);
    EXPECT_EQ(app.device, nullptr);
    EXPECT_FALSE(app.active);
}

TEST_F(DeviceTableTest, AReducedReferenceDeviceWarnsAndIsUsed)
{
    fake.adapters = {CapableAdapter({{640, 480, 60, X8}})};
    fake.adapters[0].hal.present = false;
    fake.adapters[0].ref.caps.PrimitiveMiscCaps = D3DPMISCCAPS_NULLREFERENCE;
    ASSERT_EQ(Enumerate(), S_OK);
    testing::internal::CaptureStderr();
    EXPECT_EQ(app.OpenDevice(), S_OK);
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("Warning: Nothing will be rendered."), std::string::npos) << shown;
    EXPECT_NE(app.device, nullptr);
}

} // namespace

namespace {

class SwitchingTest : public DeviceTableTest {
protected:
    // Opens a windowed device with a 300 x 200 client area on an adapter with 16- and 32-bit modes.
    void OpenWindowed()
    {
        fake.adapters = {CapableAdapter({{640, 480, 60, X8}, {640, 480, 60, R565}})};
        ASSERT_EQ(Enumerate(), S_OK);
        app.clientBounds = {0, 0, 300, 200};
        ASSERT_EQ(app.OpenDevice(), S_OK);
        app.ready = true;
    }
    RecordingDevice& Device() { return *fake.created.back(); }
};

TEST_F(SwitchingTest, FullScreenUsesTheChosenModeAndWindowedTheClientSizeAndDesktopFormat)
{
    OpenWindowed();
    ASSERT_EQ(app.SwitchFullScreen(), S_OK);
    EXPECT_FALSE(app.windowed);
    EXPECT_FALSE(app.CurrentDevice().windowed);
    EXPECT_TRUE(app.ready);
    auto resets = Device().CallsOf(DeviceMethod::Reset);
    ASSERT_EQ(resets.size(), 1u);
    EXPECT_FALSE(resets[0].parameters.Windowed);
    EXPECT_EQ(resets[0].parameters.BackBufferWidth, 640u);
    EXPECT_EQ(resets[0].parameters.BackBufferFormat, R565);

    ASSERT_EQ(app.SwitchFullScreen(), S_OK);
    EXPECT_TRUE(app.windowed);
    resets = Device().CallsOf(DeviceMethod::Reset);
    ASSERT_EQ(resets.size(), 2u);
    EXPECT_TRUE(resets[1].parameters.Windowed);
    EXPECT_EQ(resets[1].parameters.BackBufferWidth, 300u);
    EXPECT_EQ(resets[1].parameters.BackBufferHeight, 200u);
    EXPECT_EQ(resets[1].parameters.BackBufferFormat, X8);
}

TEST_F(SwitchingTest, AFailedResetOnTheWayToFullScreenLeavesDrawingOff)
{
    OpenWindowed();
    // A default-pool buffer still held makes the reset fail.
    IDirect3DVertexBuffer8* held = nullptr;
    ASSERT_EQ(Device().CreateVertexBuffer(64, 0, 0, D3DPOOL_DEFAULT, &held), D3D_OK);
    EXPECT_EQ(app.SwitchFullScreen(), E_FAIL);
    EXPECT_FALSE(app.windowed);
    EXPECT_FALSE(app.ready);
    held->Release();
}

TEST_F(SwitchingTest, LeavingFullScreenOnADeviceThatCannotDrawWindowedMovesToOneThatCan)
{
    fake.adapters = {CapableAdapter({{640, 480, 60, X8}})};
    fake.adapters[0].hal.caps.Caps2 = 0;
    ASSERT_EQ(Enumerate(), S_OK);
    // Start full-screen on the hardware device, which has no windowed presentation.
    app.adapters[0].currentDevice = 0;
    app.windowed = false;
    ASSERT_EQ(app.OpenDevice(), S_OK);

    EXPECT_EQ(app.SwitchFullScreen(), S_OK);
    EXPECT_EQ(app.CurrentDevice().type, D3DDEVTYPE_REF);
    EXPECT_TRUE(app.windowed);
    EXPECT_TRUE(app.ready);
    EXPECT_EQ(fake.createdTypes, (std::vector<D3DDEVTYPE>{D3DDEVTYPE_HAL, D3DDEVTYPE_REF}));
    EXPECT_FALSE(app.endedByFailure);
}

TEST_F(SwitchingTest, ADeviceStillReferencedWhenRebuiltIsAFatalError)
{
    fake.adapters = {CapableAdapter({{640, 480, 60, X8}})};
    fake.adapters[0].hal.caps.Caps2 = 0;
    ASSERT_EQ(Enumerate(), S_OK);
    app.adapters[0].currentDevice = 0;
    app.windowed = false;
    ASSERT_EQ(app.OpenDevice(), S_OK);
    IDirect3DDevice8* leaked = app.device;
    leaked->AddRef();

    testing::internal::CaptureStderr();
    EXPECT_EQ(app.SwitchFullScreen(), D3DAPPERR_NONZEROREFCOUNT);
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("non-zero reference\ncount"), std::string::npos) << shown;
    EXPECT_TRUE(app.endedByFailure);
    leaked->Release();
}

} // namespace
