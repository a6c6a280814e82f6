"""Browser tests of finding records in zylgrid serve: the filter row (non-ASCII text, a number range, a date
range), the search box, clearing, paging and the sum row over a filtered result, the download of a filtered
result, and the view's link opened in a fresh browser. Run: python3 e2e/test_filter.py; exits 77 when Chromium,
its driver or Selenium is missing."""
import os
import sqlite3
import sys
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import test_zylgrid as t  # noqa: E402
import zylsite as z  # noqa: E402

if not t.SKIP:
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import WebDriverWait


def enter(b, name, text):  # types into a customers input and presses Enter
    old = b.driver.find_element(By.TAG_NAME, "html")
    b.type("Customers", name, text).control("Customers", name).send_keys(Keys.ENTER)
    WebDriverWait(b.driver, 30).until(t.replaced(old))
    return b


class FilterTests(t.Suite):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.site.sql("UPDATE customers SET City = 'Z\u00fcrich' WHERE City = 'Zurich'")

    def ids(self, where, args=()):
        with sqlite3.connect(self.site.db) as con:
            return [str(r[0]) for r in con.execute("SELECT Id FROM customers WHERE %s ORDER BY Id" % where, args)]

    def test_filters_search_clear_paging_and_sum(self):
        cases = [  # (input, text typed, the records' condition in SQL)
            ("GFLT_2", "Z\u00dc", "City = 'Z\u00fcrich'"),
            ("GFLT_6", "20000..30000", "CreditLimit BETWEEN 20000 AND 30000"),
            ("GFLT_5", "01.01.2020..31.12.2020", "Since BETWEEN '2020-01-01' AND '2020-12-31'"),
            ("GSEARCH", "weber", "lower(Name || City || Country || Email) LIKE '%weber%'"),
        ]
        for name, text, where in cases:
            with self.subTest(name=name, text=text):
                b = enter(self.browser.open(), name, text)
                self.assertEqual([r[0] for r in b.rows()], self.ids(where)[:8])
                self.assertEqual(b.control("Customers", "GOf").get_attribute("value"),  # pages of 8
                                 str(-(-len(self.ids(where)) // 8)))
                enter(b, "GFLT_1", "") if name == "GSEARCH" else None
        b = enter(self.browser.open(), "GFLT_6", ">=30000").click("Customers", "GNEXT")
        self.assertEqual([r[0] for r in b.rows()], self.ids("CreditLimit >= 30000")[8:16])
        b.click("Customers", "GSUM")
        self.assertIn(str(self.site.sql("SELECT sum(CreditLimit) FROM customers WHERE CreditLimit >= 30000")),
                      b.driver.page_source)
        b = enter(self.browser.open(), "GFLT_6", ">=30000")
        clear = b.driver.find_element(By.XPATH, "//input[@name='GFCLEAR']")
        clear.click()
        WebDriverWait(b.driver, 30).until(t.replaced(clear))
        self.assertEqual(b.control("Customers", "GOf").get_attribute("value"), "25")

    def test_the_download_and_the_link_show_the_filtered_view(self):
        b = enter(self.browser.open(), "GFLT_2", "z\u00fc").click("Customers", "GNEXT")
        link = b.driver.find_element(By.CLASS_NAME, "GViewLink").get_attribute("href")
        fresh = t.Browser(link)
        try:
            self.assertEqual(fresh.open().rows(), b.rows())
        finally:
            fresh.quit()
        with urllib.request.urlopen(link, timeout=30) as reply:
            toolbar = z.Page(reply.read().decode()).buttons("Customers", "GSAVEAS", "TOOLBARTOP")[0]
        with urllib.request.urlopen(self.server.url, z.form_fields(*toolbar, {"GSave": "TXT"}), timeout=60) as r:
            lines = r.read().decode().split("\r\n")[1:-1]
        self.assertTrue(lines and all("Z\u00fcrich" in line for line in lines), lines[:3])


if __name__ == "__main__":
    if t.SKIP:
        print("skipped:", t.SKIP)
        sys.exit(77)
    unittest.main()
