#pragma once
// The viewer command ids that the viewing screen's menus and tools post; the multi-viewport
// container handles them (the capture and tag-list ids go to the screen).

namespace viewingCommands {

constexpr unsigned int kAxial = 9010;
constexpr unsigned int kSagittal = 9011;
constexpr unsigned int kCoronal = 9012;
constexpr unsigned int kVolume = 9014;
constexpr unsigned int kLayout1x1 = 9018;
constexpr unsigned int kLayout1x2 = 9019;
constexpr unsigned int kLayout2x1 = 9020;
constexpr unsigned int kLayout2x2 = 9021;
constexpr unsigned int kDefaultWindow = 9022;
constexpr unsigned int kOpenWindowEditor = 9023;
constexpr unsigned int kCurveLinear = 9026;
constexpr unsigned int kCurveLog = 9027;
constexpr unsigned int kCurveLogInverse = 9028;
constexpr unsigned int kSetWindow = 9029;
constexpr unsigned int kColorTable = 9030;
constexpr unsigned int kCaptureScreen = 9031;
constexpr unsigned int kCaptureImages = 9032;
constexpr unsigned int kCaptureView = 9033;
constexpr unsigned int kWindowByDrag = 9035;
constexpr unsigned int kNewLine = 9040;
constexpr unsigned int kNewPoint = 9041;
constexpr unsigned int kNewAngle = 9042;
constexpr unsigned int kNewCircle = 9043;
constexpr unsigned int kNewPolygon = 9044;
constexpr unsigned int kHidePrivateInfo = 9058;
constexpr unsigned int kShowFullInfo = 9059;
constexpr unsigned int kTagList = 9060;

} // namespace viewingCommands
