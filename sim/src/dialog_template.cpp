// The extended dialog template read field by field, every length checked
// against the resource's size before it is used.
#include "dialog_template.h"

#include "simwin/user32.h"

namespace {

class Reader {
 public:
  Reader(const BYTE *bytes, size_t size) : bytes_(bytes), size_(size) {}
  bool ok() const { return ok_; }
  WORD Word() {
    if (!Has(2)) return 0;
    WORD w = static_cast<WORD>(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return w;
  }
  DWORD Dword() {
    DWORD low = Word();
    return low | static_cast<DWORD>(Word()) << 16;
  }
  int Short() { return static_cast<short>(Word()); }
  BYTE Byte() { return Has(1) ? bytes_[at_++] : 0; }
  // A terminated UTF-16 string.
  std::u16string String() {
    std::u16string text;
    for (WORD c = Word(); ok_ && c != 0; c = Word()) text += static_cast<char16_t>(c);
    return text;
  }
  // A string or, after 0xFFFF, a number: "#N" for the number.
  std::u16string StringOrNumber() {
    if (!Has(2)) return u"";
    if (bytes_[at_] == 0xFF && bytes_[at_ + 1] == 0xFF) {
      Word();
      std::string number = "#" + std::to_string(Word());
      return std::u16string(number.begin(), number.end());
    }
    return String();
  }
  void Skip(size_t n) {
    if (Has(n)) at_ += n;
  }
  void AlignToDword() { Skip(((at_ + 3) & ~size_t{3}) - at_); }

 private:
  bool Has(size_t n) {
    if (size_ - at_ < n) ok_ = false;
    return ok_;
  }
  const BYTE *bytes_;
  size_t size_, at_ = 0;
  bool ok_ = true;
};

// The predefined control classes a template names by atom.
std::string ClassName(const std::u16string &field) {
  static const struct {
    const char16_t *atom;
    const char *name;
  } predefined[] = {{u"#128", "BUTTON"}, {u"#129", "EDIT"},      {u"#130", "STATIC"},
                    {u"#131", "LISTBOX"}, {u"#132", "SCROLLBAR"}, {u"#133", "COMBOBOX"}};
  for (const auto &p : predefined)
    if (field == p.atom) return p.name;
  return std::string(field.begin(), field.end());  // class names are ASCII
}

sim::DialogItem ReadItem(Reader &in) {
  sim::DialogItem item;
  in.AlignToDword();
  in.Dword();  // help id
  item.exStyle = in.Dword();
  item.style = in.Dword();
  item.x = in.Short(), item.y = in.Short(), item.cx = in.Short(), item.cy = in.Short();
  item.id = in.Dword();
  item.className = ClassName(in.StringOrNumber());
  item.text = in.StringOrNumber();
  in.Skip(in.Word());  // creation data
  return item;
}

}  // namespace

bool sim::ParseDialogTemplate(const BYTE *bytes, size_t size, DialogTemplate *dialog) {
  Reader in(bytes, size);
  if (in.Word() != 1 || in.Word() != 0xFFFF) return false;
  in.Dword();  // help id
  dialog->exStyle = in.Dword();
  dialog->style = in.Dword();
  const WORD count = in.Word();
  dialog->x = in.Short(), dialog->y = in.Short(), dialog->cx = in.Short(), dialog->cy = in.Short();
  if (!in.StringOrNumber().empty() || !in.StringOrNumber().empty()) return false;  // a menu or a dialog class
  dialog->caption = in.String();
  if (dialog->style & DS_SETFONT) {
    dialog->pointSize = in.Word();
    dialog->weight = in.Word();
    dialog->italic = in.Byte() != 0;
    dialog->charSet = in.Byte();
    dialog->face = in.String();
  }
  dialog->items.clear();
  for (WORD i = 0; i < count && in.ok(); ++i) dialog->items.push_back(ReadItem(in));
  return in.ok();
}
