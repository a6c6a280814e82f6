// The current-record position of a windowed dataset (SQLite, PostgreSQL):
// which record of the result is current, and whether the last move ran into
// either end. The dataset keeps the records; the cursor only the numbers,
// and every call that needs the record count gets it from the dataset.
#pragma once

#include <algorithm>

namespace zyl {

class RecordCursor {
 public:
  int Position() const { return position_; }

  // Back to the first record, as after opening (Bof is true).
  void Reset() {
    position_ = 0;
    bof_ = true;
    eof_ = false;
  }

  // Makes record `position` current (after a post), with neither end reached.
  void SetTo(int position) {
    position_ = position;
    bof_ = false;
    eof_ = false;
  }

  // Keeps the position inside a result of `count` records (after a delete).
  void Clamp(int count) { SetTo(std::clamp(position_, 0, std::max(0, count - 1))); }

  bool Eof(int count) const { return eof_ || count == 0; }
  bool Bof(int count) const { return bof_ || count == 0; }

  // Moves by `distance` records within `count`; returns how far it moved.
  // Running past an end stops on the last (first) record and sets Eof (Bof).
  int MoveBy(int distance, int count) {
    if ((distance > 0 && Eof(count)) || (distance < 0 && Bof(count)) || distance == 0) return 0;
    Clamp(count);
    int moved = distance;
    if (distance > 0 && distance > count - 1 - position_) {
      moved = count - 1 - position_;
      eof_ = true;
    } else if (distance < 0 && -static_cast<long long>(distance) > position_) {
      moved = -position_;
      bof_ = true;
    }
    position_ += moved;
    return moved;
  }

 private:
  int position_ = 0;
  bool bof_ = true;
  bool eof_ = false;
};

}  // namespace zyl
