// SPDX-License-Identifier: GPL-3.0-or-later
// The show's application object: the cameras, the command table, the firework kinds, the sea and
// the status text on top of the framework's window, device and render thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "app/auto_show.h"
#include "app/cameras.h"
#include "app/command_table.h"
#include "app/firework_types.h"
#include "app/keys_help.h"
#include "app/quality_governor.h"
#include "app/show_script.h"
#include "framework/app_framework.h"

class BitmapFont;
class ShowAudio;
class CD3DFile;

// The window caption and message-box title.
constexpr const char* ShowTitle = "Fireworks over the night sea";

// The status text's font ("Arial", 12 points, bold); created with the application object.
extern BitmapFont* StatusFont;

class ShowApp : public AppFramework {
public:
    // Registers the commands with their bindings and the firework kinds; no device exists yet.
    ShowApp();
    ~ShowApp() override;

    // Before Startup: the automatic show with its keys, a show file to play, a seed, full-screen.
    void EnableAutoShow();
    void PlayShow(RenderScript script, bool loop);
    void SetSeed(std::uint32_t value);
    // Sound through the audio device and the sound commands (N toggles); without a device, one line
    // on standard error and the show stays silent.
    void EnableSound();
    void StopSound();
    // The open audio device, or null: the show is silent.
    ShowAudio* audio = nullptr;
    // Before EnableSound: music (interleaved stereo at the mixer's rate) played from the show's start on
    // its clock; planned, the show it was planned on ends with it (the program keeps running).
    void SetMusic(std::vector<float> stereo, double seconds, bool planned);
    void StartFullScreen() { startFullScreen = true; }
    // Beyond the plain show: F1 and ? show the keys of the mode over the picture until pressed again.
    void EnableKeysHelp();
    // Draws into this existing X window (a screensaver's): no menu bar, status text or cursor.
    void DrawIntoWindow(std::uint64_t nativeWindow) { adoptedWindow = nativeWindow; }
    // Before Startup: the frame-rate line shown without the status text (a screensaver's --fps), and
    // the automatic show's starting launch rate.
    bool frameRateShown = false;
    float launchRate = 1.0f;
    // Before Startup: the soft layer's quality, or (qualityGoverned) the governor's pick from the frame
    // times; qualityShown names the level on the status line.
    QualityLevel quality = QualityLevel::Full;
    bool qualityGoverned = false;
    bool qualityShown = false;
    // Before Startup: a screensaver's own pace, 50 frames a second, or 30 on a software rasteriser,
    // as the device found at each start or reset draws (set when no --delay or --max-fps says).
    bool screensaverPace = false;
    // The main window once Startup has made it, for other threads that post to it.
    std::atomic<HWND> openedWindow{nullptr};

    HRESULT Startup(HINSTANCE instance) override;
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    HRESULT InitScene() override;
    HRESULT CreateDeviceResources() override;
    HRESULT RestoreDeviceResources() override;
    HRESULT AdvanceFrame() override;
    HRESULT DrawFrame() override;
    HRESULT InvalidateDeviceResources() override;
    HRESULT DestroyDeviceResources() override;
    HRESULT ShutdownScene() override;

    // Camera modes at the framework's current time; the window thread takes RenderLock around them.
    void SelectCamera(std::int32_t index) { camera.SelectCamera(index, time); }
    void NextCamera() { camera.NextCamera(time); }
    void PreviousCamera() { camera.PreviousCamera(time); }
    void FreeCameraUpdate() { camera.FreeCameraUpdate(time, elapsed); }
    void PathCameraUpdate() { camera.PathCameraUpdate(time, elapsed); }

    // Eye, orientation, view, motion, held keys, the mode and both paths.
    CameraState camera;
    CommandTable commands;
    FireworkTypeRegistry fireworkTypes;
    // Changed under RenderLock by the window thread, read by the frame.
    bool statusVisible = true;
    // The keys help and its text, likewise.
    bool keysVisible = false;
    char keysText[KeysHelpSize] = {};
    CD3DFile* sea = nullptr;
    // Drawn instead of the sea while no flash lights it, where the media have it.
    CD3DFile* calmSea = nullptr;
    bool calmSeaLoaded = false;

    // The automatic show, the played show file and the show's own pause, all under RenderLock.
    bool autoMode = false;
    AutoShow autoShow;
    bool playing = false;
    RenderScript showScript;
    ScriptPlayer player;
    bool paused = false;

private:
    // Keeps the music playing with the show's time, paused with it, and ends a planned show with it.
    void FollowMusic(double showTime);
    // Launches what the automatic show and the show file have due at the show's time.
    void LaunchDue(double showTime);

    // The soft layer's targets while a reduced level may be drawn, and the governor of --quality auto.
    SoftTargets softTargets;
    QualityGovernor governor;
    // Application time of the last frame-rate line of the trace.
    float lastTraceTime = -1.0f;
    // Frames drawn since the start, on the trace's frame-rate line: CPU per frame is measured from it.
    std::uint64_t framesDrawn = 0;
    bool startFullScreen = false;
    std::uint64_t adoptedWindow = 0;
    bool seeded = false;
    std::uint32_t seed = 0;
    // Set by the first frame, which starts the show's clocks.
    bool showStarted = false;
    // Application time spent paused; the effects run on application time less this.
    float pausedTotal = 0.0f;
    AutoLaunch dueShells[kAutoFinaleMax];
    // The music until EnableSound hands it to the mixer, its length, and where it stands.
    std::vector<float> pendingMusic;
    double musicSeconds = 0.0;
    bool musicPlanned = false;
    bool musicStarted = false;
    bool musicEnded = false;
};
