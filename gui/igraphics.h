#pragma once
// The editor seen from the framework's side: it owns the controls and a software canvas the size
// of the editor, draws dirty controls into the canvas and routes mouse, wheel and key events to
// them. Everything that needs a window system (the view, screen transfer, picture files, dialogs)
// is left to the platform subclass.
#include <functional>
#include <memory>

#include "base/brm_string.h"
#include "base/ptr_list.h"
#include "framework/fx_base.h"
#include "framework/editor_link.h"
#include "gui/gui_types.h"
#include "raster/rast_bitmap.h"

class IControl;
class IPopupMenu;

// Key codes handed to OnKeyDown: upper and lower case letters give the same code.
enum EEditorKey {
  kKeySpace = 0,
  kKeyUpArrow = 1,
  kKeyDownArrow = 2,
  kKeyLeftArrow = 3,
  kKeyRightArrow = 4,
  kKeyDigit0 = 5,   // to kKeyDigit0 + 9
  kKeyLetterA = 15  // to kKeyLetterA + 25
};

class IGraphics : public IEditorLink {
 public:
  // fps <= 0 selects 25 redraws per second. No canvas exists until PrepDraw.
  IGraphics(IFxBase* pPlug, int w, int h, int fps = 0);
  ~IGraphics() override;
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- Called by the plug-in base ----
  // Moves every control bound to paramIdx (plain values are normalised first). Safe on the host's
  // parameter thread: it only stores values and sets flags. Non-finite values are ignored.
  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override;
  // Creates the canvas and the scratch bitmap.
  void PrepDraw() override;

  // ---- Platform operations ----
  virtual bool DrawScreen(IRECT* pR) = 0;
  virtual bool MeasureIText(IText* pTxt, const char* str, IRECT* pR) { return DrawIText(pTxt, str, pR, true); }
  virtual void ForceEndUserEdit() = 0;
  // Deletes every control and the canvas, makes a new canvas and tells the plug-in; the caller
  // attaches controls again.
  virtual void Resize(int w, int h);
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual const char* GetGUIAPI() { return ""; }
  virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
  // Shows the menu over pAreaRect; the menu holding the chosen item (its chosen index set), or null.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pAreaRect) = 0;
  // Receives the menu holding the chosen item (the menu shown or a submenu, its chosen index set).
  typedef std::function<void(IPopupMenu* pChosen)> MenuChoice;
  // Shows the menu over pAreaRect and hands onChosen the choice once the user has made one; nothing
  // when the menu is dismissed. By default it waits for the choice (CreateIPopupMenu); an editor
  // whose caller must not wait (a plug-in UI inside its host's idle call) returns at once, keeps the
  // menu and calls onChosen later, or never when its view closes first.
  virtual void PopUpMenu(std::unique_ptr<IPopupMenu> pMenu, IRECT* pAreaRect, MenuChoice onChosen);
  // Opens a one-line text field; the typed text comes back through SetFromStringAfterPrompt
  // (with a parameter) or the control's TextFromTextEntry.
  virtual void CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect, const char* str, IParam* pParam) = 0;
  virtual void HostPath(BRM_String* pPath) = 0;
  virtual void PluginPath(BRM_String* pPath) = 0;
  virtual void DesktopPath(BRM_String* pPath) = 0;
  virtual void AppSupportPath(BRM_String* pPath, bool isSystem = false) = 0;
  virtual void SandboxSafeAppSupportPath(BRM_String* pPath) = 0;
  virtual void PromptForFile(BRM_String* pFilename, EFileAction action = kFileOpen, BRM_String* pDir = nullptr,
                             const char* extensions = "") = 0;
  virtual bool PromptForColor(IColor* pColor, const char* prompt = "") = 0;
  virtual bool OpenURL(const char* url, const char* msgWindowTitle = nullptr, const char* confirmMsg = nullptr,
                       const char* errMsgOnFailure = nullptr) = 0;
  virtual void* OpenWindow(void* pParentView) = 0;
  // The Carbon form: no such view here.
  virtual void* OpenWindow(void*, void*, short, short) { return nullptr; }
  virtual void AttachSubWindow(void*) {}
  virtual void RemoveSubWindow() {}
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;
  virtual bool GetTextFromClipboard(BRM_String* pStr) = 0;
  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}
  virtual void UpdateTooltips() = 0;
  // A new bitmap owned by the caller, or null.
  virtual RAST_IBitmap* OSLoadBitmap(int id, const char* name) = 0;
  // Draws the text in the style's font, colour and alignment over *pR (not clipped to it), or with
  // measure only measures: *pR then gets the text's width placed by the alignment and its height
  // below T. An empty text succeeds; false only when no font can be made for the style.
  virtual bool DrawIText(IText* pTxt, const char* str, IRECT* pR, bool measure = false);

  // ---- Setup ----
  void AttachBackground(int id, const char* name);
  void AttachPanelBackground(const IColor* pColor);
  // Takes ownership; returns the control's index.
  int AttachControl(IControl* pControl);
  // Takes ownership of the control that receives keys no other control takes.
  void AttachKeyCatcher(IControl* pControl);
  // The picture stays in the process-wide cache under id. A picture that cannot be loaded gives a
  // handle without pixels (drawn as nothing) rather than stopping the host.
  IBitmap LoadIBitmap(int id, const char* name, int nStates = 1, bool framesAreHorizontal = false);
  // Hands the handle's bitmap to the cache, which owns it from then on.
  bool RetainBitmap(IBitmap* pBitmap);
  // Removes a cached bitmap and deletes it.
  void ReleaseBitmap(IBitmap* pBitmap);
  void SetStrictDrawing(bool strict);

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFrameRate; }
  RAST_pixel* GetBits();
  RAST_IBitmap* GetCanvas() { return mCanvas; }
  IFxBase* GetPlug() const { return mPlug; }
  int NControls() const { return mControlList.GetSize(); }
  // Null outside the list.
  IControl* GetControl(int idx) const { return mControlList.Get(idx); }
  int GetMouseOver() const { return mHoverIdx; }
  bool TooltipsEnabled() const { return mTooltipsOn; }

  // ---- Parameter flow ----
  void SetControlFromPlug(int controlIdx, double normalizedValue);
  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);
  void SetAllControlsDirty();
  void AssignParamNameToolTips();
  int GetParamIdxForPTAutomation(int x, int y);
  int GetLastClickedParamForPTAutomation();

  // ---- Drawing loop ----
  // Widens *pR by the rectangle of every dirty control; true when any is dirty.
  bool IsDirty(IRECT* pR);
  // Draws the controls that need it into the canvas, then puts the canvas on screen.
  bool Draw(IRECT* pR);
  void OnGUIIdle();

  // ---- Input, in editor coordinates (origin top left) ----
  void OnMouseDown(int x, int y, IMouseMod* pMod);
  void OnMouseUp(int x, int y, IMouseMod* pMod);
  void OnMouseDrag(int x, int y, IMouseMod* pMod);
  // True when the control took the double click as a press.
  bool OnMouseDblClick(int x, int y, IMouseMod* pMod);
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int delta);
  // True when hover is tracked.
  bool OnMouseOver(int x, int y, IMouseMod* pMod);
  void OnMouseOut();
  // True when a control used the key.
  bool OnKeyDown(int x, int y, int key);
  void ReleaseMouseCapture();

  // ---- Prompts ----
  // A menu of the parameter's display texts, or a text field with its current value.
  void PromptUserInput(IControl* pControl, IParam* pParam, IRECT* pTextRect);
  // Typed text: a display text for enumerated and boolean parameters (unknown ones give index 0),
  // else the number it starts with; a text holding no number leaves the value as it is.
  void SetFromStringAfterPrompt(IControl* pControl, IParam* pParam, const char* txt);

  // ---- Bitmap and pixel primitives ----
  bool DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int srcX, int srcY, const IChannelBlend* pBlend = nullptr);
  // Frames count from 1.
  bool DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int frame = 1, const IChannelBlend* pBlend = nullptr);
  bool DrawRotatedBitmap(IBitmap* pBitmap, int destCtrX, int destCtrY, double angle, int yOffsetZeroDeg = 0,
                         const IChannelBlend* pBlend = nullptr);
  bool DrawRotatedMask(IBitmap* pBase, IBitmap* pMask, IBitmap* pTop, int x, int y, double angleDeg,
                       const IChannelBlend* pBlend = nullptr);
  bool DrawPoint(const IColor* pColor, float x, float y, const IChannelBlend* pBlend = nullptr, bool antiAlias = false);
  // Writes the colour unblended; points outside the canvas are ignored.
  bool ForcePixel(const IColor* pColor, int x, int y);
  bool FillIRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend = nullptr);
  // The canvas pixel; transparent black outside the canvas.
  IColor GetPoint(int x, int y);
  // New pictures, kept in the cache.
  IBitmap ScaleBitmap(IBitmap* pSrcBitmap, int destW, int destH);
  IBitmap CropBitmap(IBitmap* pSrcBitmap, IRECT* pR);

  // ---- Line, shape and text primitives ----
  // Coordinates are truncated to whole pixels.
  bool DrawLine(const IColor* pColor, float x1, float y1, float x2, float y2, const IChannelBlend* pBlend = nullptr,
                bool antiAlias = false);
  // Angles in radians: 0 points up, positive angles turn clockwise.
  bool DrawArc(const IColor* pColor, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* pBlend = nullptr, bool antiAlias = false);
  bool DrawCircle(const IColor* pColor, float cx, float cy, float r, const IChannelBlend* pBlend = nullptr,
                  bool antiAlias = false);
  bool RoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerRadius, bool antiAlias);
  bool FillRoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerRadius, bool antiAlias);
  bool FillCircle(const IColor* pColor, int cx, int cy, float r, const IChannelBlend* pBlend = nullptr,
                  bool antiAlias = false);
  bool FillTriangle(const IColor* pColor, int x1, int y1, int x2, int y2, int x3, int y3,
                    const IChannelBlend* pBlend = nullptr);
  bool FillIConvexPolygon(const IColor* pColor, const int* x, const int* y, int npoints,
                          const IChannelBlend* pBlend = nullptr);
  // Plain copies at full weight, without antialiasing; both ends included.
  bool DrawVerticalLine(const IColor* pColor, int x, int yLo, int yHi);
  bool DrawHorizontalLine(const IColor* pColor, int y, int xLo, int xHi);
  // The outline on rows T and B and columns L and R themselves.
  bool DrawRect(const IColor* pColor, IRECT* pR);
  // A line across the rectangle at x (0..1) of its width from the left.
  bool DrawVerticalLine(const IColor* pColor, IRECT* pR, float x);
  // A line across the rectangle at y (0..1) of its height from the bottom.
  bool DrawHorizontalLine(const IColor* pColor, IRECT* pR, float y);
  // Angle 0 points up, positive angles turn clockwise.
  bool DrawRadialLine(const IColor* pColor, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* pBlend = nullptr, bool antiAlias = false);
  // The style's font from the process-wide font cache, made on first use; null when the text
  // layer cannot make one.
  RAST_IFont* CacheFont(IText* pTxt);

 protected:
  IFxBase* mPlug;
  BRM_PtrList<IControl> mControlList;
  IRECT mDrawArea;
  bool mCursorIsHidden = false;
  int mHiddenCursorX = -1, mHiddenCursorY = -1;
  RAST_IBitmap* mCanvas = nullptr;
  RAST_IBitmap* mScratchBitmap = nullptr;
  int mWidth, mHeight;
  int mFrameRate;
  int mIdleCount = 0;
  int mCaptureIdx = -1;
  int mHoverIdx = -1;
  int mLastMouseX = 0, mLastMouseY = 0;
  int mLastClickedParamIdx = -1;
  bool mTrackHover = false;
  bool mStrictDrawing = true;
  bool mTooltipsOn = false;
  IControl* mKeyCatcherControl = nullptr;
  // The parameter whose gesture the host was told began, so that every end the host is told of
  // matches a begin (double clicks release without having begun one).
  int mGestureParamIdx = -1;

 private:
  int GetMouseControlIdx(int x, int y, bool forHover = false);
  void DrawStrict(IRECT* pR);
  void DrawDirtyControls();
  void EndGesture();
  void DeleteControls();
  // Copies the part of src at (srcX, srcY) that lands inside pDest and the draw area.
  bool BlitClipped(RAST_IBitmap* src, IRECT* pDest, int srcX, int srcY, const IChannelBlend* pBlend);
};

// The editor of a plug-in, or null when it has none (or one that is not an IGraphics).
IGraphics* GetEditor(IFxBase* pPlug);
