// The desktop's windows: one SDL window for each visible toolbox window, kept at its place,
// size, title and stacking, whose surface receives the changed parts of the window's pixels
// (and of the menu strip above a document window's content).
#include <algorithm>
#include <cstring>

#include "CarbonEvents.h"
#include "MacWindows.h"
#include "QuickDraw.h"
#include "SpTextCodec.h"
#include "display/detail/Desktop.h"
#include "display/detail/DesktopX11.h"
#include "display/internal/Backends.h"
#include "display/internal/DesktopKeys.h"
#include "events/internal/EventLoop.h"
#include "quickdraw/internal/Ports.h"
#include "ui/internal/Alerts.h"
#include "ui/internal/Menus.h"
#include "ui/internal/Windows.h"

namespace sp_platform {
namespace display {
namespace {

constexpr int kBandRows = 16;  // changed parts are found per band of this many rows
constexpr UInt32 kBlankStrip = 0xFFEEEEEEu;
constexpr UInt32 kBlankContent = 0xFFFFFFFFu;

bool IsPopupClass(WindowClass c) {
  return c == kHelpWindowClass || c == kOverlayWindowClass;
}

bool IsSheetClass(WindowClass c) {
  return c == kSheetWindowClass || c == kSheetAlertWindowClass;
}

bool IsFloatingClass(WindowClass c) {
  return c == kFloatingWindowClass || c == kUtilityWindowClass || c == kToolbarWindowClass;
}

Uint32 FlagsFor(WindowClass c, WindowAttributes attributes) {
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (IsPopupClass(c)) {
    flags |= SDL_WINDOW_POPUP_MENU | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP |
             SDL_WINDOW_SKIP_TASKBAR;
  } else if (c == kPlainWindowClass || c == kAltPlainWindowClass || c == kModalWindowClass ||
             c == kAlertWindowClass || IsSheetClass(c)) {
    flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR;
  } else if (IsFloatingClass(c)) {
    flags |= SDL_WINDOW_UTILITY;
  }
  if ((attributes & kWindowResizableAttribute) != 0 && !IsPopupClass(c)) {
    flags |= SDL_WINDOW_RESIZABLE;
  }
  return flags;
}

std::string TitleOf(WindowRef window) {
  Str255 title;
  GetWTitle(window, title);
  return sp::text::MacJapaneseToUTF8(reinterpret_cast<const char*>(title + 1), title[0]);
}

Rect ContentOf(WindowRef window) {
  Rect r = {0, 0, 0, 0};
  GetWindowBounds(window, kWindowContentRgn, &r);
  return r;
}

int StripFor(WindowClass c) {
  return (c == kDocumentWindowClass && menus::LiveMenuTracking()) ? GetMBarHeight() : 0;
}

// Floor division, for positions left of or above the screen's origin.
int Down(int value, int by) {
  return value >= 0 ? value / by : -((-value + by - 1) / by);
}

// The front-most visible document window other than `except`: the owner of dialogs.
WindowRef OwnerFor(WindowRef except) {
  for (WindowRef w : WindowListFrontToBack()) {
    WindowClass c = 0;
    GetWindowClass(w, &c);
    if (w != except && IsWindowVisible(w) && c == kDocumentWindowClass) return w;
  }
  return nullptr;
}

// Keeps the child above its owner: a transient window of it on X11.
void SetOwner(ShownWindow& child, WindowRef ownerWindow) {
  ShownWindow* owner = ShownOf(ownerWindow);
  if (owner == nullptr || owner->sdl == nullptr) return;
  if (IsModalClass(child.windowClass) || IsSheetClass(child.windowClass)) {
    SDL_SetWindowModalFor(child.sdl, owner->sdl);
    return;
  }
  X11SetOwner(child.sdl, owner->sdl);
}

ShownWindow* Create(WindowRef window) {
  DesktopState& d = Desktop();
  WindowClass c = kDocumentWindowClass;
  WindowAttributes attributes = 0;
  GetWindowClass(window, &c);
  GetWindowAttributes(window, &attributes);
  ShownWindow shown;
  shown.window = window;
  shown.windowClass = c;
  shown.strip = StripFor(c);
  shown.content = ContentOf(window);
  shown.title = TitleOf(window);
  shown.resizable = (attributes & kWindowResizableAttribute) != 0;
  const Rect& r = shown.content;
  const int width = std::max(1, r.right - r.left) * d.scale;
  const int height = std::max(1, r.bottom - r.top + shown.strip) * d.scale;
  shown.sdl = SDL_CreateWindow(shown.title.c_str(), r.left * d.scale, (r.top - shown.strip) * d.scale,
                               width, height, FlagsFor(c, attributes));
  if (shown.sdl == nullptr) return nullptr;
  shown.id = SDL_GetWindowID(shown.sdl);
  shown.xwindow = X11WindowID(shown.sdl);
  X11SetTitle(shown.sdl, shown.title);
  SInt16 minW = 0, minH = 0;
  HISize minSize{0, 0}, maxSize{0, 0};
  if (shown.resizable && GetWindowResizeLimits(window, &minSize, &maxSize) == noErr) {
    minW = SInt16(std::max<CGFloat>(1, minSize.width));
    minH = SInt16(std::max<CGFloat>(1, minSize.height));
    SDL_SetWindowMinimumSize(shown.sdl, minW * d.scale, (minH + shown.strip) * d.scale);
    if (maxSize.width < 32767 || maxSize.height < 32767) {
      SDL_SetWindowMaximumSize(shown.sdl, int(std::min<CGFloat>(maxSize.width, 16383)) * d.scale,
                               int(std::min<CGFloat>(maxSize.height, 16383) + shown.strip) * d.scale);
    }
  }
  // A framed window that cannot be resized keeps its size: the window manager offers no
  // resizing or maximizing, and a modal one is shown as a dialog.
  const Uint32 flags = FlagsFor(c, attributes);
  if ((flags & (SDL_WINDOW_BORDERLESS | SDL_WINDOW_RESIZABLE)) == 0) {
    X11MarkFixedSize(shown.sdl, IsModalClass(c));
  }
  X11KeepContentInPlace(shown.sdl);
  return d.windows.Add(window, std::move(shown));
}

void Show(ShownWindow& shown) {
  WindowRef owner = nullptr;
  if (IsSheetClass(shown.windowClass)) {
    GetSheetWindowParent(shown.window, &owner);
  } else if (IsModalClass(shown.windowClass) || IsFloatingClass(shown.windowClass)) {
    owner = OwnerFor(shown.window);
  }
  if (owner != nullptr) SetOwner(shown, owner);
  if (!X11MapWithoutWaiting(shown.sdl)) SDL_ShowWindow(shown.sdl);
  shown.shown = true;
  shown.wholeUpload = true;
}

void FollowToolbox(ShownWindow& shown) {
  DesktopState& d = Desktop();
  const std::string title = TitleOf(shown.window);
  if (title != shown.title) {
    shown.title = title;
    SDL_SetWindowTitle(shown.sdl, title.c_str());
    X11SetTitle(shown.sdl, title);
  }
  const Rect now = ContentOf(shown.window);
  const Rect& was = shown.content;
  if (EqualRect(&now, &was)) return;
  const bool resized = now.right - now.left != was.right - was.left ||
                       now.bottom - now.top != was.bottom - was.top;
  if (resized) {
    SDL_SetWindowSize(shown.sdl, std::max(1, now.right - now.left) * d.scale,
                      std::max(1, now.bottom - now.top + shown.strip) * d.scale);
    shown.wholeUpload = true;
  }
  // SDL follows a new size of a window that cannot be resized by hand with a move to where it
  // takes the frame to be, which under our static gravity is the content's place less the frame:
  // the content is put back where the toolbox has it.
  if (resized || now.left != was.left || now.top != was.top) {
    const int x = now.left * d.scale, y = (now.top - shown.strip) * d.scale;
    if (!X11MoveContent(shown.sdl, x, y, &shown.moveRequest)) {
      SDL_SetWindowPosition(shown.sdl, x, y);
    }
  }
  shown.content = now;
}

// ---- Presenting ----

// The logical frame of a window, row by row: the strip, then the content.
struct FrameSource {
  int width = 0;
  int height = 0;
  int strip = 0;
  PixelAccess content;
  bool hasContent = false;
  PixelAccess bar;
  bool hasBar = false;
  std::vector<UInt32> blankStrip;
  std::vector<UInt32> blankContent;

  const UInt32* Row(int y) const {
    if (y < strip) {
      if (hasBar && y < bar.bounds.bottom - bar.bounds.top &&
          width <= bar.bounds.right - bar.bounds.left) {
        return bar.base + std::ptrdiff_t(y) * bar.rowWords;
      }
      return blankStrip.data();
    }
    const int row = y - strip;
    if (hasContent && row < content.bounds.bottom - content.bounds.top &&
        width <= content.bounds.right - content.bounds.left) {
      return content.base + std::ptrdiff_t(row) * content.rowWords;
    }
    return nullptr;  // partly outside the pixels: see RowInto
  }

  // The row, with what lies outside the pixels white.
  const UInt32* RowInto(int y, std::vector<UInt32>* scratch) const {
    if (const UInt32* row = Row(y)) return row;
    scratch->assign(std::size_t(width), kBlankContent);
    const int row = y - strip;
    if (hasContent && row >= 0 && row < content.bounds.bottom - content.bounds.top) {
      const int n = std::min(width, content.bounds.right - content.bounds.left);
      std::memcpy(scratch->data(), content.base + std::ptrdiff_t(row) * content.rowWords,
                  std::size_t(n) * 4);
    }
    return scratch->data();
  }
};

GrafPtr BarPort(int width) {
  DesktopState& d = Desktop();
  if (d.stripWorld != nullptr && d.stripWorldWidth != width) {
    DisposeGWorld(d.stripWorld);
    d.stripWorld = nullptr;
  }
  if (d.stripWorld == nullptr) {
    Rect r = {0, 0, GetMBarHeight(), SInt16(std::min(width, int(kSpMaxPixelWidth)))};
    if (NewGWorld(&d.stripWorld, 32, &r, nullptr, nullptr, 0) != noErr) return nullptr;
    d.stripWorldWidth = width;
    for (ShownWindow& w : d.windows) w.stripStamp = 0;
  }
  return reinterpret_cast<GrafPtr>(d.stripWorld);
}

void WriteToSurface(SDL_Surface* surface, const UInt32* row, int x, int y, int count, int scale) {
  const int bytesPerPixel = surface->format->BytesPerPixel;
  const bool direct = bytesPerPixel == 4 && (surface->format->format == SDL_PIXELFORMAT_RGB888 ||
                                             surface->format->format == SDL_PIXELFORMAT_ARGB8888);
  for (int sy = 0; sy < scale; ++sy) {
    const int py = y * scale + sy;
    if (py >= surface->h) break;
    Uint8* line = static_cast<Uint8*>(surface->pixels) + std::ptrdiff_t(py) * surface->pitch;
    const int px = x * scale;
    const int room = std::min(count * scale, surface->w - px);
    if (room <= 0) return;
    if (scale == 1 && direct) {
      std::memcpy(line + px * 4, row + x, std::size_t(room) * 4);
      continue;
    }
    if (direct) {
      UInt32* out = reinterpret_cast<UInt32*>(line) + px;
      for (int i = 0; i < room; ++i) out[i] = row[x + i / scale];
      continue;
    }
    // Another pixel format: one pixel at a time through SDL's conversion.
    for (int i = 0; i < room; ++i) {
      SDL_ConvertPixels(1, 1, SDL_PIXELFORMAT_ARGB8888, row + x + i / scale, 4,
                        surface->format->format, line + (px + i) * bytesPerPixel, surface->pitch);
    }
  }
}

void Present(ShownWindow& shown) {
  DesktopState& d = Desktop();
  SDL_Surface* surface = SDL_GetWindowSurface(shown.sdl);
  if (surface == nullptr) return;
  FrameSource frame;
  const Rect& c = shown.content;
  frame.width = std::max(1, c.right - c.left);
  frame.strip = shown.strip;
  frame.height = std::max(1, c.bottom - c.top) + shown.strip;
  frame.hasContent = GetPortPixels(GetWindowPort(shown.window), &frame.content);
  if (frame.strip > 0) {
    frame.blankStrip.assign(std::size_t(frame.width), kBlankStrip);
    const bool holdsBar = menus::MenuBarWindow() == shown.window;
    if (holdsBar) {
      GrafPtr port = BarPort(frame.width);
      const UInt32 stamp = menus::MenuBarLookStamp() | 1u;
      if (port != nullptr) {
        if (shown.stripStamp != stamp || !shown.stripHadBar) {
          menus::DrawMenuBarStrip(port);
          for (ShownWindow& w : d.windows) w.stripStamp = 0;
          shown.stripStamp = stamp;
        }
        frame.hasBar = GetPortPixels(port, &frame.bar);
      }
    }
    shown.stripHadBar = holdsBar;
  }
  if (shown.shadowWidth != frame.width || shown.shadowHeight != frame.height ||
      surface->w < frame.width * d.scale || surface->h < frame.height * d.scale) {
    shown.shadow.assign(std::size_t(frame.width) * std::size_t(frame.height), 0);
    shown.shadowWidth = frame.width;
    shown.shadowHeight = frame.height;
    shown.wholeUpload = true;
  }
  if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
  std::vector<SDL_Rect> rects;
  std::vector<UInt32> scratch;
  UInt64 pixels = 0;
  for (int top = 0; top < frame.height; top += kBandRows) {
    const int bottom = std::min(frame.height, top + kBandRows);
    int minX = frame.width, maxX = -1;
    for (int y = top; y < bottom; ++y) {
      const UInt32* src = frame.RowInto(y, &scratch);
      UInt32* seen = shown.shadow.data() + std::ptrdiff_t(y) * frame.width;
      int first = 0, last = frame.width - 1;
      if (!shown.wholeUpload) {
        if (std::memcmp(src, seen, std::size_t(frame.width) * 4) == 0) continue;
        while (src[first] == seen[first]) ++first;
        while (src[last] == seen[last]) --last;
      }
      std::memcpy(seen + first, src + first, std::size_t(last - first + 1) * 4);
      minX = std::min(minX, first);
      maxX = std::max(maxX, last);
    }
    if (maxX < minX) continue;
    for (int y = top; y < bottom; ++y) {
      WriteToSurface(surface, shown.shadow.data() + std::ptrdiff_t(y) * frame.width, minX, y,
                     maxX - minX + 1, d.scale);
    }
    pixels += UInt64(maxX - minX + 1) * UInt64(bottom - top);
    // The desktop may hold the window smaller than its frame (a size past the window's own
    // greatest size): only what the surface holds is sent, or the server refuses the upload
    // and ends the program.
    SDL_Rect r{minX * d.scale, top * d.scale, (maxX - minX + 1) * d.scale,
               (bottom - top) * d.scale};
    r.w = std::min(r.w, surface->w - r.x);
    r.h = std::min(r.h, surface->h - r.y);
    if (r.w > 0 && r.h > 0) rects.push_back(r);
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  shown.wholeUpload = false;
  if (rects.empty()) return;
  SDL_UpdateWindowSurfaceRects(shown.sdl, rects.data(), int(rects.size()));
  d.presents += 1;
  d.pixelsUploaded += pixels;
}

// Sends a window event about a change the desktop made, with the rectangles of a bounds
// change; answers the rectangle the handlers left in 'crct'.
Rect SendBoundsEvent(WindowRef window, UInt32 kind, UInt32 attributes, const Rect& original,
                     const Rect& current) {
  Rect corrected = current;
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassWindow, kind, 0, kEventAttributeNone, &event) != noErr) {
    return corrected;
  }
  SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof window, &window);
  if (kind == kEventWindowBoundsChanging || kind == kEventWindowBoundsChanged) {
    SetEventParameter(event, kEventParamAttributes, typeUInt32, sizeof attributes, &attributes);
    SetEventParameter(event, kEventParamOriginalBounds, typeQDRectangle, sizeof original,
                      &original);
    SetEventParameter(event, kEventParamPreviousBounds, typeQDRectangle, sizeof original,
                      &original);
    SetEventParameter(event, kEventParamCurrentBounds, typeQDRectangle, sizeof current, &current);
  }
  SendEventToEventTarget(event, GetWindowEventTarget(window));
  Rect r;
  if (GetEventParameter(event, kEventParamCurrentBounds, typeQDRectangle, nullptr, sizeof r,
                        nullptr, &r) == noErr) {
    corrected = r;
  }
  ReleaseEvent(event);
  return corrected;
}

// The shown window of this very window once event handlers ran: null when they disposed of it
// (a window made since may have its address) or the desktop let it go.
ShownWindow* StillShown(WindowRef window, UInt64 serial) {
  return WindowSerial(window) == serial ? ShownOf(window) : nullptr;
}

}  // namespace

DesktopState& Desktop() {
  static DesktopState* state = new DesktopState;  // lives to the end of the program
  return *state;
}

bool IsModalClass(WindowClass c) {
  return c == kAlertWindowClass || c == kMovableAlertWindowClass || c == kModalWindowClass ||
         c == kMovableModalWindowClass;
}

ShownWindow* ShownOf(WindowRef window) {
  return Desktop().windows.Find(window);
}

ShownWindow* ShownOfID(Uint32 id) {
  for (ShownWindow& w : Desktop().windows) {
    if (w.id == id) return &w;
  }
  return nullptr;
}

Point GlobalOf(const ShownWindow& shown, int x, int y) {
  const int scale = Desktop().scale;
  const int h = shown.content.left + Down(x, scale);
  const int v = shown.content.top - shown.strip + Down(y, scale);
  return Point{SInt16(std::clamp(v, -32768, 32767)), SInt16(std::clamp(h, -32768, 32767))};
}

void SyncWindows() {
  DesktopState& d = Desktop();
  // Windows of the toolbox that are gone take theirs with them.
  bool uncovered = false;
  d.windows.ForgetGone([&uncovered](ShownWindow& gone) {
    uncovered = uncovered || gone.shown;
    SDL_DestroyWindow(gone.sdl);
  });
  const std::vector<WindowRef> list = WindowListFrontToBack();
  WindowRef front = nullptr;
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    WindowRef w = *it;
    ShownWindow* shown = ShownOf(w);
    if (!IsWindowVisible(w)) {
      if (shown != nullptr && shown->shown) {
        SDL_HideWindow(shown->sdl);
        shown->shown = false;
        uncovered = true;
      }
      continue;
    }
    if (shown == nullptr) shown = Create(w);
    if (shown == nullptr) continue;
    FollowToolbox(*shown);
    if (!shown->shown) Show(*shown);
    if (!IsPopupClass(shown->windowClass)) front = w;
  }
  // What a window that went away uncovered is put on the screen again in this pass, rather
  // than when the server tells of it (until then the screen would show the gone window there:
  // the windows have no background of their own).
  if (uncovered) InvalidateDesktop();
  // The window the toolbox put in front comes to the front of the desktop.
  if (WindowSerial(front) != d.lastFront) {
    d.lastFront = WindowSerial(front);
    if (ShownWindow* shown = ShownOf(front)) SDL_RaiseWindow(shown->sdl);
  }
}

void PresentWindows() {
  for (ShownWindow& w : Desktop().windows) {
    if (w.shown) Present(w);
  }
}

void DestroyWindows() {
  DesktopState& d = Desktop();
  d.windows.Clear([](ShownWindow& w) { SDL_DestroyWindow(w.sdl); });
  d.lastFront = 0;
}

void WindowMovedByDesktop(ShownWindow& shown, int x, int y) {
  const int scale = Desktop().scale;
  WindowRef window = shown.window;
  const UInt64 serial = WindowSerial(window);
  const Rect was = ContentOf(window);
  // A move the toolbox made since the last sync is newer than anything the desktop tells:
  // the next sync asks for it.
  if (was.left != shown.content.left || was.top != shown.content.top) return;
  const int left = Down(x, scale);
  const int top = Down(y, scale) + shown.strip;
  if (left == was.left && top == was.top) return;
  Rect proposed = was;
  OffsetRect(&proposed, SInt16(left - was.left), SInt16(top - was.top));
  const Rect now = SendBoundsEvent(window, kEventWindowBoundsChanging,
                                   kWindowBoundsChangeUserDrag | kWindowBoundsChangeOriginChanged,
                                   was, proposed);
  ShownWindow* still = StillShown(window, serial);
  if (still == nullptr) return;
  SetWindowBounds(window, kWindowContentRgn, &now);
  still->content = proposed;  // the desktop's place: a correction is pushed back
  // Sheets stay attached to the top of their parent.
  for (WindowRef w : WindowListFrontToBack()) {
    WindowRef parent = nullptr;
    if (GetSheetWindowParent(w, &parent) != noErr || parent != window) continue;
    const Rect sheet = ContentOf(w);
    MoveWindow(w, SInt16(sheet.left + now.left - was.left), SInt16(sheet.top + now.top - was.top),
               false);
  }
  SendBoundsEvent(window, kEventWindowDragCompleted, 0, was, now);
}

void WindowPlaceMessage(const SDL_SysWMmsg* message) {
  X11Place place;
  if (!X11PlaceMessage(message, &place)) return;
  for (ShownWindow& shown : Desktop().windows) {
    if (shown.xwindow != place.window) continue;
    if (place.framed >= 0) shown.framed = place.framed == 1;
    // Older than the last move asked for: the window manager has not answered that yet.
    if (place.request < shown.moveRequest) return;
    // In a frame, the server tells the place in the frame; the window manager tells the place
    // on the screen, after each move of the frame.
    if (place.fromWindowManager || (place.fromServer && !shown.framed)) {
      WindowMovedByDesktop(shown, place.x, place.y);
    }
    return;
  }
}

void WindowResizedByDesktop(ShownWindow& shown, int width, int height) {
  const int scale = Desktop().scale;
  WindowRef window = shown.window;
  const UInt64 serial = WindowSerial(window);
  const Rect was = ContentOf(window);
  const Rect& synced = shown.content;
  if (was.right - was.left != synced.right - synced.left ||
      was.bottom - was.top != synced.bottom - synced.top) {
    return;  // the toolbox's own new size is newer; the next sync asks for it
  }
  const int w = std::max(1, width / scale);
  const int h = std::max(1, height / scale - shown.strip);
  if (w == was.right - was.left && h == was.bottom - was.top) return;
  const Rect proposed = {was.top, was.left, SInt16(std::min(was.top + h, 32767)),
                         SInt16(std::min(was.left + w, 32767))};
  const Rect now = SendBoundsEvent(window, kEventWindowBoundsChanging,
                                   kWindowBoundsChangeUserResize | kWindowBoundsChangeSizeChanged,
                                   was, proposed);
  ShownWindow* still = StillShown(window, serial);
  if (still == nullptr) return;
  SetWindowBounds(window, kWindowContentRgn, &now);
  still->content = proposed;
  still->wholeUpload = true;
  SendBoundsEvent(window, kEventWindowResizeCompleted, 0, was, now);
}

namespace {

// The window of the innermost modal loop under way (ModalDialog's or an app-modal loop's);
// null when none runs.
WindowRef InnermostLoopWindow() {
  const std::vector<alerts::RunningModalDialog> dialogs = alerts::RunningModalDialogs();
  if (!dialogs.empty() && dialogs.back().eventsModalDepth == ModalLoopDepth()) {
    return GetDialogWindow(dialogs.back().dialog);
  }
  return ModalLoopDepth() > 0 ? InnermostModalWindow() : nullptr;
}

// A dialog or alert window (a progress window too): classes that have no close box of their
// own.
bool HasNoCloseBoxOfItsOwn(WindowRef window) {
  WindowClass kind = 0;
  return GetWindowClass(window, &kind) == noErr &&
         (kind == kAlertWindowClass || kind == kMovableAlertWindowClass ||
          kind == kModalWindowClass || kind == kMovableModalWindowClass);
}

void PostEscapeKey() {
  MacKey escape;
  if (!MacKeyOf(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, &escape)) return;
  RawInput key;
  key.charCode = escape.charCode;
  key.keyCode = escape.keyCode;
  for (const RawInputKind kind : {kRawKeyDown, kRawKeyUp}) {
    key.kind = kind;
    PostRawInput(key);
  }
}

}  // namespace

// The close button of a window behind a modal loop's dialog does nothing, then or once the
// dialog is answered, as that window's own close box could not be clicked: the dialog comes
// back to the front instead. The close button of the loop's own window, or of any dialog,
// alert or progress window, which has no close box of its own, is its Escape key: it cancels
// as Escape does (nothing where Escape does nothing). Asked to close, such a window would only
// hide, and a loop still running behind it would take the next Return as its OK.
void WindowCloseRequested(ShownWindow& shown) {
  WindowRef loop = InnermostLoopWindow();
  const bool looping = loop != nullptr && IsValidWindowPtr(loop);
  if (looping && loop != shown.window) {
    if (ShownWindow* front = ShownOf(loop)) SDL_RaiseWindow(front->sdl);
    return;
  }
  if (looping || HasNoCloseBoxOfItsOwn(shown.window)) {
    PostEscapeKey();
    return;
  }
  SendBoundsEvent(shown.window, kEventWindowClose, 0, shown.content, shown.content);
}

unsigned long X11WindowOf(WindowRef window) {
  ShownWindow* shown = ShownOf(window);
  return shown != nullptr ? X11WindowID(shown->sdl) : 0;
}

unsigned SDLWindowIDOf(WindowRef window) {
  ShownWindow* shown = ShownOf(window);
  return shown != nullptr ? unsigned(shown->id) : 0;
}

int StripHeightOf(WindowRef window) {
  ShownWindow* shown = ShownOf(window);
  return shown != nullptr ? shown->strip : 0;
}

void InvalidateDesktop() {
  for (ShownWindow& w : Desktop().windows) w.wholeUpload = true;
}

}  // namespace display
}  // namespace sp_platform
