// One timed walk through the wizard's pages with the demo configuration read
// locally, whose last site needs software only: every step's time from the click to the new page's content being
// in place, in milliseconds, printed as one JSON line. Stops at the packet
// page and leaves through Выход, so nothing is installed.
//   node pages.js URL           a walk through velk's pages
//   node pages.js --static URL  the reference: two static pages linked to
//                               each other, loaded as the browser would
'use strict';
const path = require('path');
const { chromium } = require(path.join(__dirname, '../tests/e2e/node_modules/playwright-core'));

// Every document of the page notes, by its own clock, when the selector the
// walk waits for first matches: the driver's own waiting polls too coarsely
// for times of a few milliseconds. The selector lives in sessionStorage, so
// it outlives a page change to a new document of the same origin.
function watchForWanted(firstSelector) {
  function check() {
    const wanted = sessionStorage.getItem('velk-wanted') || firstSelector;
    if (!window.velkReached && document.querySelector(wanted)) {
      window.velkReached = performance.timeOrigin + performance.now();
    }
  }
  new MutationObserver(check).observe(document, { subtree: true, childList: true,
    attributes: true });
  document.addEventListener('DOMContentLoaded', check);
}

async function reachedAt(page, selector) {
  await page.waitForSelector(selector, { state: 'attached' });
  return (await page.waitForFunction(() => window.velkReached)).jsonValue();
}

// Clicks in the page itself (no actionability checks of the driver) and
// measures until the selector matches.
async function timed(page, click, selector) {
  const clickedAt = await page.evaluate(([id, wanted]) => {
    sessionStorage.setItem('velk-wanted', wanted);
    window.velkReached = 0;
    const now = performance.timeOrigin + performance.now();
    document.getElementById(id).click();
    return now;
  }, [click, selector]);
  return Math.round((await reachedAt(page, selector)) - clickedAt);
}

async function walk(page, url) {
  const times = {};
  const start = Date.now();
  await page.goto(url);
  times.first_page = Math.round((await reachedAt(page, 'body#HtmlHalloDlg #ButtonOK')) - start);
  times.welcome_to_sites = await timed(page, 'ButtonOK',
    'body#ProviderListDlg #ProviderList input[type=checkbox]');
  // The site that needs software only: its packets alone decide the button.
  await page.check('#ProviderList input[type=checkbox] >> nth=-1');
  times.sites_to_overview = await timed(page, 'ButtonOK', 'body#HtmlListDlg #ComponentList table');
  times.overview_to_packets = await timed(page, 'ButtonOK',
    'body#PacketSelectDlg #ComponentList table');
  // With every box unticked but one, unticking that one relabels the button
  // and ticking it again relabels it back: each is a click's full round trip.
  const boxes = await page.$$('#ComponentList input[type=checkbox]');
  if (boxes.length === 0) throw new Error('the packet page offers no box');
  await boxes[boxes.length - 1].check();
  for (const box of boxes.slice(0, -1)) await box.uncheck();
  await page.waitForSelector('#ButtonOK[value="Установить"]', { state: 'attached' });
  const last = await boxes[boxes.length - 1].getAttribute('id');
  times.checkbox_off = await timed(page, last, '#ButtonOK[value="Далее"]');
  times.checkbox_on = await timed(page, last, '#ButtonOK[value="Установить"]');
  times.back_to_overview = await timed(page, 'ButtonBack', 'body#HtmlListDlg #ComponentList table');
  times.back_to_sites = await timed(page, 'ButtonBack',
    'body#ProviderListDlg #ProviderList input[type=checkbox]');
  // Leave: the question is answered Да and the wizard ends.
  await page.evaluate(() => document.getElementById('ButtonCancel').click());
  await page.click('[data-answer="6"]');
  return times;
}

async function walkStatic(page, url) {
  await page.goto(url);
  await reachedAt(page, '#next');
  const times = {};
  times.static_switch = await timed(page, 'next', 'body#second');
  return times;
}

async function main() {
  const [first, second] = process.argv.slice(2);
  const browser = await chromium.launch({
    executablePath: process.env.VELK_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-background-networking', '--disable-component-update'],
  });
  try {
    const page = await browser.newPage({ viewport: { width: 1000, height: 750 } });
    page.setDefaultTimeout(60000);
    await page.addInitScript(watchForWanted, first === '--static' ? '#next' :
      'body#HtmlHalloDlg #ButtonOK');
    const times = first === '--static' ? await walkStatic(page, second) : await walk(page, first);
    console.log(JSON.stringify(times));
  } finally {
    await browser.close();
  }
}

main().catch((error) => {
  console.error(error.stack || String(error));
  process.exit(1);
});
