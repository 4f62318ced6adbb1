#include "convert/conversion.h"

#include <new>
#include <optional>
#include <stdexcept>
#include <utility>

#include "convert/document_resources.h"
#include "pdf/content_stream.h"
#include "pdf/doc_reader.h"
#include "pdf/inherited.h"
#include "pdf/page_tree.h"
#include "pdf/repair.h"
#include "pdf/status.h"
#include "pdf/unlock.h"
#include "pdf/xref.h"
#include "text/fonts.h"
#include "text/interpreter.h"
#include "text/layout.h"

namespace paginor {

namespace {

constexpr const char* kCaption = "Paginor";
constexpr const char* kInvalidMessage = "Dies ist keine gültige PDF-Datei.";
constexpr const char* kWrongPassword = "Das Passwort war leider falsch!";
constexpr const char* kUnsupportedEncryption = "Diese Verschlüsselung wird nicht unterstützt.";
constexpr const char* kOutOfMemory = "Nicht genügend Speicher, um die PDF-Datei zu lesen.";

class HostPasswordPrompt final : public TPasswordPrompt {
 public:
  explicit HostPasswordPrompt(TConversionHost& host) : host_(host) {}
  std::optional<std::string> AskPassword() override {
    auto entered = host_.AskPassword();
    if (!entered) cancelled_ = true;
    return entered;
  }
  void WrongPassword() override { host_.Message(kWrongPassword, kCaption, TMessageIcon::Error); }
  void Unsupported() override {
    host_.Message(kUnsupportedEncryption, kCaption, TMessageIcon::Error);
    unsupported_ = true;
  }
  bool cancelled() const { return cancelled_; }
  bool unsupported() const { return unsupported_; }

 private:
  TConversionHost& host_;
  bool cancelled_ = false;
  bool unsupported_ = false;
};

class Conversion {
 public:
  Conversion(TDocumentState& state, TConversionHost& host) : state_(state), host_(host) {}
  // The file as it was before it was read: pictures may be read from it again while it stays
  // so. Looked at first, so that a change during the reading is seen as a change.
  void SetFile(std::shared_ptr<const TPictureFile> file) { file_ = std::move(file); }

  // load fills the buffer; it is called once the per-document state has been emptied.
  template <typename Load>
  TConversionResult Run(Load load) {
    TConversionResult result;
    if (state_.FBusy) return result;
    result.Started = true;
    host_.BeginProgress();
    host_.SetStep("");
    TBusyGuard busy(state_.FBusy);
    state_.FBreak = false;
    options_ = host_.Options();
    state_.Images.Clear();
    state_.PageSizes.Clear();
    state_.Memo1.Clear();
    // The modern reader's plain text is text alone; the links stay for the view, HTML and RTF.
    state_.Memo1.SetImageLinksInPlainText(!options_.ModernCheck);
    state_.Memo1.SetPicturesInRichText(options_.ModernCheck);
    state_.Memo1.BeginUpdate();
    state_.TextItems.Clear();

    try {
      pump_();  // releasing a long document took a moment
      TFileBuffer bytes;
      if (load(bytes) == TLoadStatus::Loaded) {
        result.Opened = true;
        reader_.Caps.Limits = state_.Caps;
        reader_.Caps.SetSink(status_);
        reader_.LoadBuffer(std::move(bytes));
        reader_.SetRules(options_.ModernCheck ? TReadingRules::Modern() : TReadingRules::Classic());
        ReadDocument();
      }
    } catch (const std::bad_alloc&) {
      failure_ = kOutOfMemory;
    } catch (const std::exception& e) {
      failure_ = std::string("Beim Lesen der PDF-Datei ist ein Fehler aufgetreten: ") + e.what();
    }
    if (failure_) {
      host_.Message(*failure_, kCaption, TMessageIcon::Error);
    } else if (reader_.Invalid && !unsupported_encryption_) {
      // A file whose encryption was refused has had its message.
      host_.Message(kInvalidMessage, kCaption, TMessageIcon::Error);
    }
    result.Invalid = reader_.Invalid && !failure_;
    result.PasswordRefused = password_refused_;
    result.PageCount = reader_.Pages.Count();
    Finish();
    return result;
  }

 private:
  void Status(const std::string& line) { host_.StatusLine(line); }

  void ReadDocument() {
    ReadXrefAndTrailer(reader_);
    if (reader_.Repaired) Status("Die Datei war beschädigt und wurde repariert.");
    if (reader_.Invalid) return;
    if (reader_.Encrypted) {
      HostPasswordPrompt prompt(host_);
      UnlockDocument(reader_, prompt);
      password_refused_ = prompt.cancelled();
      unsupported_encryption_ = prompt.unsupported();
    }
    if (!reader_.RootFound || reader_.Invalid) {
      reader_.Invalid = true;
      return;
    }
    // Objects inside object streams need the document's key to be read.
    if (reader_.Rules().CompressedObjects) ExpandObjectStreams(reader_);
    ReadCatalog(reader_);
    if (reader_.Invalid) return;
    WalkPageTree(reader_);
    Status(std::to_string(reader_.Pages.Count()) + " Seiten gefunden...");
    ReadPageDictionaries(reader_);
    if (reader_.Rules().InheritedAttributes) ApplyInheritedAttributes(reader_);
    ReadPageResources(reader_);
    page_fonts_ = ReadFonts(reader_, fonts_, status_);
    if (reader_.Rules().InterpreterExtensions) resources_.emplace(reader_, fonts_);
    // Decoding the pictures takes a while: the window answers and "Aktion abbrechen" works.
    page_images_ = ExtractImages(reader_, state_.Images, options_.ReadPicsCheck, status_, pump_,
                                 state_.KeepPictureData, state_.PictureSink, file_)
                       .Pages;
    Status("Lese Seiten...");
    ReadPages();
  }

  void ReadPages() {
    const int page_count = reader_.Pages.Count();
    reader_.Pages.First();
    while (reader_.Pages.Next()) {
      if (state_.FBreak || DocumentFull()) break;
      TPageRec& page = *reader_.Page;
      const int number = reader_.Pages.Index();
      const TPageFrame frame = FrameOf(page);
      *state_.PageSizes.Append() = TPageSize{frame.ViewWidth(), frame.ViewHeight()};
      host_.SetStep("Lese Seite " + std::to_string(number) + "...");
      pump_();  // a stop is heeded before the next page
      host_.SetProgress(static_cast<int>(int64_t{number} * 100 / page_count));
      TPageContent content = ReadPageContent(reader_, page, number, status_);
      std::vector<TFormXObject> annotations;
      if (resources_) annotations = resources_->Annotations(number - 1);
      // A page may show text through its annotations alone.
      if (content.PageOk && (!content.ContentBuffer.empty() || !annotations.empty())) {
        InterpretAndLayout(std::move(content.ContentBuffer), frame, number, std::move(annotations));
      }
    }
    if (unmapped_characters_ > 0) {
      Status(std::to_string(unmapped_characters_) + " Zeichen ohne Entsprechung im Zeichensatz");
    }
    host_.SetProgress(0);
  }

  // The budgets of the whole file: once one is spent, further pages are not read.
  bool DocumentFull() {
    const TCapLimits& limits = reader_.Caps.Limits;
    const bool full = reader_.StreamBytes > limits.DocumentContentBytes ||
                      state_.Memo1.TextLength() >= limits.DocumentTextLength ||
                      (state_.KeepTextItems && state_.TextItems.Count() >= limits.DocumentRuns);
    if (full) reader_.Caps.Reached(TCap::Document);
    return full;
  }

  // The page as it is shown: the modern reader turns it by its /Rotate.
  TPageFrame FrameOf(const TPageRec& page) const {
    return reader_.Rules().InheritedAttributes
               ? TPageFrame(page.Left, page.Bottom, page.Width, page.Height, page.Rotate)
               : TPageFrame(0, 0, page.Width, page.Height, 0);
  }

  void InterpretAndLayout(std::string content, const TPageFrame& frame, int number,
                          std::vector<TFormXObject> annotations) {
    if (!state_.MeasureFont) throw std::logic_error("no measuring font");
    const TConvertOptions options = host_.Options();
    TInterpreterContext context;
    context.page_number = number;
    context.fonts = &fonts_;
    context.page_fonts = &page_fonts_;
    context.images = &state_.Images;
    context.page_images = &page_images_;
    context.html_links = options.HTMLLinksCheck;
    context.font = state_.MeasureFont.get();
    context.pump_and_cancel = pump_;
    context.unmapped_characters = &unmapped_characters_;
    context.windows1252_text = options.Windows1252Text;
    context.rules = reader_.Rules();
    context.frame = frame;
    if (resources_) context.resources = &*resources_;
    context.annotations = std::move(annotations);
    context.caps = &reader_.Caps;
    InterpretPage(std::move(content), context, page_runs_);
    const TLayoutOptions layout{options.HorzLayCheck, options.VertLayCheck, options.StartWTCheck,
                                options.TabsCheck, reader_.Rules().InterpreterExtensions};
    LayoutPage(page_runs_, frame.ViewHeight(), layout, *state_.MeasureFont, state_.Memo1,
               state_.TextItems, &reader_.Caps);
    if (!state_.KeepTextItems) state_.TextItems.Clear();
  }

  // Runs on every path: what the user sees is consistent and the next file can be opened.
  void Finish() {
    resources_.reset();
    reader_.ReleaseBuffer();
    reader_.FreeDict();
    reader_.Kids.Clear();
    host_.SetPageCount(reader_.Pages.Count());
    reader_.Pages.Clear();
    state_.Memo1.EndUpdate();
    page_runs_.Clear();
    fonts_.Clear();
    state_.Memo1.SetSelStart(0);
    state_.Memo1.SetSelLength(1);
    host_.Done();
    host_.EndProgress();
  }

  TDocumentState& state_;
  TConversionHost& host_;
  std::shared_ptr<const TPictureFile> file_;  // the file converted; null for a buffer
  const TStatusSink status_ = [this](const std::string& line) { Status(line); };
  // Lets the user interface run; false once the user asked to stop, through the host or
  // FBreak.
  const TPumpAndCancel pump_ = [this] {
    if (!host_.PumpAndCancel()) state_.FBreak = true;
    return !state_.FBreak;
  };
  TDocReader reader_;
  TConvertOptions options_;
  TPageImages page_images_;  // what each page's XObject names stand for
  TFontRec* current_font_ = nullptr;
  TDynaArray<TFontRec> fonts_{&current_font_};   // its current record is the current font
  TPageFonts page_fonts_;                        // what each page's font names stand for
  std::optional<TDocumentResources> resources_;  // the modern reader's forms and annotations
  int unmapped_characters_ = 0;                  // shown characters written as "?"
  TTextItem* page_run_ = nullptr;
  TDynaArray<TTextItem> page_runs_{&page_run_};
  std::optional<std::string> failure_;
  bool password_refused_ = false;
  bool unsupported_encryption_ = false;
};

}  // namespace

TConversionResult openfilenow(TDocumentState& state, TConversionHost& host,
                              const std::string& path) {
  Conversion conversion(state, host);
  conversion.SetFile(PictureFileOf(path));
  return conversion.Run([&path](TFileBuffer& bytes) { return LoadFileBuffer(path, bytes); });
}

TConversionResult ConvertBuffer(TDocumentState& state, TConversionHost& host, std::string bytes) {
  return Conversion(state, host).Run([&bytes](TFileBuffer& out) {
    out = TFileBuffer(std::move(bytes));
    return TLoadStatus::Loaded;
  });
}

}  // namespace paginor
