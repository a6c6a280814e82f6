"""Reading zylgrid pages the way a browser does, and posting their forms back.

A page is parsed with html.parser into its forms. Form membership follows the
browser's rule for the markup the grid writes (forms opened inside tables,
the data form of an editable grid left open until its edit toolbar): a form
tag opens a form only when none is open, a closing form tag ends the open one,
and every control belongs to the form open when the control appears. Each form
is tagged with the grid whose anchor (<A NAME="...">) came last before it.
"""
import html.parser
import re
import urllib.parse

ERROR_BOX = re.compile(r'<IMG SRC="[^"]*GTab\.Gif" WIDTH="82" HEIGHT="23">', re.I)
ERROR_TEXT = re.compile(r'<TEXTAREA STYLE="[^"]*font-weight: bold;">(.*?)</TEXTAREA>', re.I | re.S)
STACK_TRACE = re.compile(r"Traceback|std::|terminate called|Segmentation|Aborted|"
                         r"\bat 0x[0-9a-f]+|libzylhg|\.cpp:\d+", re.I)


class Control:
    """One form control: kind is hidden, text, checkbox, select, textarea, image or other."""

    def __init__(self, kind, name, value="", checked=False):
        self.kind = kind
        self.name = name
        self.value = value
        self.checked = checked
        self.options = []  # values of a select's options

    def __repr__(self):
        return "Control(%s %s=%r)" % (self.kind, self.name, self.value)


class Form:
    def __init__(self, name, grid, action):
        self.name = name
        self.grid = grid
        self.action = action
        self.controls = []

    def images(self, pattern=None):
        return [c for c in self.controls if c.kind == "image" and
                (pattern is None or re.fullmatch(pattern, c.name))]

    def visible(self, name):
        """The first control named `name` the visitor can change (not hidden)."""
        for c in self.controls:
            if c.name == name and c.kind not in ("hidden", "image"):
                return c
        return None

    def cells(self):
        """The edit controls ("GCELL_r_f") as {(r, f): control}."""
        found = {}
        for c in self.controls:
            m = re.fullmatch(r"GCELL_(-?\d+)_(\d+)", c.name or "")
            if m:
                found[(int(m.group(1)), int(m.group(2)))] = c
        return found


class Row:
    """A data row of a grid: its record number, the texts and edit values in
    cell order (the row-number column's text first, then the data columns)."""

    def __init__(self, recno):
        self.recno = recno
        self.items = []  # text of display cells and values of edit controls, in order

    def __repr__(self):
        return "Row(%d, %r)" % (self.recno, self.items)


class _Parser(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.forms = []
        self.rows = {}  # grid -> [Row]
        self.anchor = None
        self.form = None
        self.select = None
        self.textarea = None
        self.row = None

    def handle_starttag(self, tag, attrs):
        a = {k: (v if v is not None else "") for k, v in attrs}
        if tag == "a" and "name" in a:
            self.anchor = a["name"]
        elif tag == "form":
            if self.form is None:
                self.form = Form(a.get("name", ""), self.anchor, a.get("action", ""))
                self.forms.append(self.form)
        elif tag == "input" and self.form is not None:
            kind = a.get("type", "text").lower()
            if kind not in ("hidden", "text", "checkbox", "image"):
                kind = "other"
            default = "on" if kind == "checkbox" else ""
            c = Control(kind, a.get("name", ""), a.get("value", default), "checked" in a)
            self.form.controls.append(c)
            self._row_event(c)
        elif tag == "select" and self.form is not None:
            self.select = Control("select", a.get("name", ""), None)
            self.form.controls.append(self.select)
        elif tag == "option" and self.select is not None:
            value = a.get("value", "")
            self.select.options.append(value)
            if "selected" in a or self.select.value is None:
                self.select.value = value
        elif tag == "textarea":
            self.textarea = Control("textarea", a.get("name", ""), "")
            if self.form is not None and self.textarea.name:
                self.form.controls.append(self.textarea)

    def handle_endtag(self, tag):
        if tag == "form":
            self.form = None
            self.row = None
        elif tag == "select":
            if self.select is not None:
                self._row_event(self.select)
            self.select = None
        elif tag == "textarea":
            if self.textarea is not None and self.textarea.name:
                self._row_event(self.textarea)
            self.textarea = None

    def handle_data(self, data):
        if self.textarea is not None:
            self.textarea.value += data
            return
        if self.row is not None and self.select is None:
            text = data.replace("\xa0", " ").strip()
            if text:
                self.row.items.append(text)

    def _row_event(self, control):
        form = self.form
        if form is None or not form.name.endswith("_TABLE"):
            return
        m = re.fullmatch(r"GRecNo(\d+)", control.name or "")
        if control.kind == "image" and m:
            self.row = Row(int(m.group(1)))
            self.rows.setdefault(form.grid, []).append(self.row)
        elif control.kind == "image":
            self.row = None  # the edit toolbar ends the rows
        elif self.row is not None and (control.name or "").startswith("GCELL_"):
            if control.kind == "checkbox":
                self.row.items.append("on" if control.checked else "")
            else:
                self.row.items.append(control.value or "")


class Page:
    """A parsed grid page."""

    def __init__(self, text):
        self.text = text
        parser = _Parser()
        parser.feed(text)
        parser.close()
        self.forms = parser.forms
        self.rows_by_grid = parser.rows

    def error_box(self):
        return ERROR_BOX.search(self.text) is not None

    def error_text(self):
        m = ERROR_TEXT.search(self.text)
        return m.group(1).strip() if m else ""

    def complete(self):
        return self.text.rstrip().lower().endswith("</html>")

    def forms_of(self, grid, name=None):
        return [f for f in self.forms if f.grid == grid and (name is None or f.name == name)]

    def button(self, grid, pattern, form_name=None):
        """(form, control) pairs of the image buttons of `grid` whose name matches."""
        return [(f, c) for f in self.forms_of(grid, form_name) for c in f.images(pattern)]

    def rows(self, grid):
        return self.rows_by_grid.get(grid, [])

    def cells(self, grid):
        found = {}
        for f in self.forms_of(grid, grid + "_TABLE"):
            found.update(f.cells())
        return found


def form_fields(form, click, values=None, x=7, y=5):
    """The fields a browser posts for `form` when the image button `click` is
    clicked: every successful control in document order, the clicked button's
    click position at its own place. `values` maps a control (or a control
    name, for the visible control of that name) to the value to post instead;
    for a checkbox the value True or False ticks or clears it."""
    values = values or {}
    fields = []
    for c in form.controls:
        if c.kind == "image":
            if c is click:
                fields += [(c.name + ".x", str(x)), (c.name + ".y", str(y))]
            continue
        if not c.name or c.kind == "other":
            continue
        value = c.value
        override = values.get(id(c), values.get(c.name) if c.kind != "hidden" else None)
        if c.kind == "checkbox":
            ticked = c.checked if override is None else bool(override)
            if ticked:
                fields.append((c.name, c.value or "on"))
            continue
        if override is not None:
            value = override
        if value is None:
            continue
        fields.append((c.name, value))
    return fields


def encode(fields):
    return urllib.parse.urlencode(fields, encoding="utf-8").encode("ascii")
