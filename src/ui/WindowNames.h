#pragma once

// The windows keep the class names that their settings sections ([form2], [form4]) and older
// scripts know them by; everywhere else the code calls them by what they are.
namespace tavimo {

class TForm1;
class TForm2;
class TForm4;
class TForm5;
class TForm6;
class TDSTrackBar;

using BookWindow = TForm1;
using AlbumWindow = TForm2;
using PlayerWindow = TForm4;
using LoadingWindow = TForm5;
using SplashWindow = TForm6;
using SeekBar = TDSTrackBar;

} // namespace tavimo
