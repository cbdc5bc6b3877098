#!/usr/bin/python3
"""The control panel as a user works it, in headless Chromium: one action per call.

  panel_browser.py URL set-weight KG        type KG into the weight field, press 设置重量,
                                            wait until the page shows it as the net weight
  panel_browser.py URL close-drawer         wait for 钱箱已打开, press 关闭钱箱, wait for 钱箱已关闭
  panel_browser.py URL screenshot FILE      the page once it is connected and shows a receipt
                                            (for the docs)
  panel_browser.py URL watch-receipt AFTER READY
                                            open the page, create READY, wait for a receipt after job
                                            AFTER to appear without a reload, open its report
  panel_browser.py URL wire-board KG        show the wire view's board line only, wait for a weight
                                            request followed by its answer with net KG, open its bytes
  panel_browser.py URL wire-screenshot FILE the wire view once it shows the printer, the board and the
                                            SDK scale, the board's last answer opened (for the docs)

Prints what it saw; exit status 0 when the page did what it should, 1 otherwise. Every wait is
bounded (BOUND seconds).
"""
import shutil
import sys
import tempfile

from selenium import webdriver
from selenium.common.exceptions import TimeoutException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

# The wire view's rows as their cells' texts.
WIRE_ROWS = ("return [...document.querySelectorAll('#wire-rows tr.entry')]"
             ".map(r => [...r.cells].map(c => c.textContent))")
BOUND = 60  # only ends a page that never gets there; a busy machine starts Chromium slowly


def browser(profile):
    options = webdriver.ChromeOptions()
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--no-first-run",
                 "--user-data-dir=" + profile, "--window-size=1400,1000"):
        options.add_argument(flag)
    options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
    return webdriver.Chrome(service=Service(shutil.which("chromedriver") or "/usr/bin/chromedriver"),
                            options=options)


def text_is(driver, element_id, want):
    return lambda _: driver.find_element(By.ID, element_id).text == want


def main(argv):
    url, action, args = argv[1], argv[2], argv[3:]
    profile = tempfile.mkdtemp(prefix="zpt-panel-browser-")
    driver = None
    try:
        driver = browser(profile)
        wait = WebDriverWait(driver, BOUND)
        driver.get(url)
        wait.until(text_is(driver, "link", "已连接"))
        if action == "set-weight":
            field = driver.find_element(By.ID, "weight-input")
            field.click()  # as a user would: in the field, all of it selected, the weight typed over it
            field.send_keys(Keys.CONTROL, "a")
            field.send_keys(args[0])
            driver.find_element(By.ID, "weight-set").click()
            wait.until(text_is(driver, "net", args[0]))
            print("net", driver.find_element(By.ID, "net").text)
            print("polled last", driver.find_element(By.ID, "poll-last").text)
        elif action == "close-drawer":
            wait.until(text_is(driver, "drawer-state", "钱箱已打开"))
            driver.find_element(By.ID, "drawer-close").click()
            wait.until(text_is(driver, "drawer-state", "钱箱已关闭"))
            print("drawer", driver.find_element(By.ID, "drawer-state").text)
        elif action == "screenshot":
            wait.until(lambda _: driver.find_elements(By.CSS_SELECTOR, "#receipt-list img"))
            driver.execute_script("document.querySelectorAll('.fresh').forEach(e => e.classList.remove('fresh'))")
            driver.set_window_size(1300, 1450)
            driver.save_screenshot(args[0])
            print("screenshot", args[0])
        elif action == "watch-receipt":
            after, ready = int(args[0]), args[1]
            driver.execute_script("window.notReloaded = true")
            open(ready, "w").close()
            def newer(_):
                items = driver.find_elements(By.CSS_SELECTOR, "#receipt-list > li.receipt")
                return items and int(items[0].get_attribute("data-job")) > after and items[0]
            item = wait.until(newer)
            assert driver.execute_script("return window.notReloaded === true"), "the page was reloaded"
            item.find_element(By.CLASS_NAME, "report-button").click()
            report = wait.until(lambda _: item.find_elements(By.CLASS_NAME, "report"))[0]
            print("receipt", item.get_attribute("data-job"), "pages", len(item.find_elements(By.TAG_NAME, "img")))
            print(report.text)
        elif action == "wire-board":
            wait.until(lambda _: driver.find_elements(By.CSS_SELECTOR, "#wire-line option[value=board]"))
            Select(driver.find_element(By.ID, "wire-line")).select_by_value("board")
            def pair(_):
                rows = driver.execute_script(WIRE_ROWS)
                for index, (asked, answered) in enumerate(zip(rows, rows[1:])):
                    if (asked[1:3] == ["board", "→"] and asked[3].startswith("W: read the weight")
                            and answered[1:3] == ["board", "←"] and "net %s kg" % args[0] in answered[3]):
                        return index + 1, asked, answered
                return False
            index, asked, answered = wait.until(pair)
            print("lines shown", sorted({row[1] for row in driver.execute_script(WIRE_ROWS)}))
            print("asked", " ".join(asked[1:]))
            print("answered", " ".join(answered[1:]))
            driver.find_elements(By.CSS_SELECTOR, "#wire-rows tr.entry")[index].click()
            print("bytes", wait.until(lambda _: driver.find_elements(By.CSS_SELECTOR, "#wire-rows tr.hex"))[0].text)
        elif action == "wire-screenshot":
            wait.until(lambda _: {"printer", "board", "scale"} <= {r[1] for r in driver.execute_script(WIRE_ROWS)})
            rows = driver.execute_script(WIRE_ROWS)
            last = max(i for i, r in enumerate(rows) if r[1:3] == ["board", "←"])
            driver.find_elements(By.CSS_SELECTOR, "#wire-rows tr.entry")[last].click()
            driver.execute_script("const b = document.getElementById('wire-box'); b.scrollTop = b.scrollHeight")
            section = driver.find_element(By.ID, "wire")
            driver.execute_script("arguments[0].scrollIntoView()", section)
            section.screenshot(args[0])
            print("screenshot", args[0])
        else:
            print("unknown action", action)
            return 2
        return 0
    except TimeoutException:
        print("the page did not get there within", BOUND, "s; it shows:")
        print(driver.find_element(By.TAG_NAME, "body").text)
        return 1
    finally:
        if driver:
            driver.quit()
        shutil.rmtree(profile, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
