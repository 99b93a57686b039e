// Walks the wizard in headless Chromium against one run of velk.exe; the
// scenarios and what walk_wizard sets up for them are described there.
//   node walk_wizard.js SCENARIO URL SCREENSHOT_FOLDER [ARGS...]
'use strict';
const { chromium } = require('playwright-core');
const fs = require('fs');
const http = require('http');
const path = require('path');

const welcome = 'HtmlHalloDlg';
const providers = 'ProviderListDlg';
const statusList = 'HtmlListDlg';
const packets = 'PacketSelectDlg';
const installation = 'InstallDlg';

const exitQuestion = 'Вы действительно хотите завершить работу мастера установки?';

function check(condition, what) {
  if (!condition) throw new Error(what);
}

// Every text that the installation page's status line showed and every value
// of its progress bar, for the document's lifetime. The pages replace one
// another inside that one document, so the watch is on the whole of it.
function recordInstallation() {
  window.velkSeen = window.velkSeen || { statuses: [], progress: [] };
  new MutationObserver((records) => {
    for (const record of records) {
      if (record.type === 'attributes') {
        window.velkSeen.progress.push(Number(record.target.getAttribute('aria-valuenow')));
      } else if (record.target.id === 'Status') {
        for (const node of record.addedNodes) window.velkSeen.statuses.push(node.textContent);
      }
    }
  }).observe(document, { subtree: true, childList: true, attributeFilter: ['aria-valuenow'] });
}

class Wizard {
  constructor(page, shots) {
    this.page = page;
    this.shots = shots;
  }

  // Each page replaces the last in the same window: wait for its body.
  async reach(bodyId) {
    await this.page.waitForSelector('body#' + bodyId);
  }

  async click(id) {
    await this.page.click('#' + id);
  }

  async shot(name) {
    // The pictures first: the banner is a background, the logos are images.
    await this.page.evaluate(async () => {
      const urls = Array.from(document.images, (image) => image.src);
      const banner = getComputedStyle(document.getElementById('Hello_Logo')).backgroundImage;
      const match = /url\("?([^")]*)"?\)/.exec(banner);
      if (match) urls.push(match[1]);
      await Promise.all(urls.map((url) => new Promise((resolve, reject) => {
        const image = new Image();
        image.onload = resolve;
        image.onerror = () => reject(new Error('picture not served: ' + url));
        image.src = url;
      })));
      await document.fonts.ready;
    });
    await this.page.screenshot({ path: path.join(this.shots, name + '.png') });
  }

  async text(selector) {
    return (await this.page.textContent(selector)).trim();
  }

  // The rows of the component list as the texts of their cells, without the
  // empty cells and spacer rows.
  async rows() {
    const rows = await this.page.$$eval('#ComponentList tr', (all) => all.map((row) =>
      Array.from(row.cells, (cell) => cell.textContent.trim()).filter((text) => text !== '')));
    return rows.filter((cells) => cells.length > 0);
  }

  async statusOf(name) {
    const row = (await this.rows()).find((cells) => cells[0] === name);
    check(row, 'no row for ' + name);
    return row[1];
  }

  // The window's close box, as the browser handles it: the page may ask
  // first. (Playwright's own close with its before-unload option closes this
  // Chromium's page without asking.)
  async closeWindow() {
    const session = await this.page.context().newCDPSession(this.page);
    await session.send('Page.close');
  }

  // The close box answered No: the browser asks before leaving, the user
  // stays, and the same page must still answer.
  async declineClose(bodyId) {
    await this.declineLeaving(bodyId, 'closing the window', () => this.closeWindow());
  }

  // The browser's Back button answered the same way.
  async declineBrowserBack(bodyId) {
    await this.declineLeaving(bodyId, "the browser's Back",
      () => this.page.evaluate(() => history.back()));
  }

  async declineLeaving(bodyId, what, leave) {
    // A page the user never touched may be left without the question.
    await this.click('Hello_Logo');
    const asked = new Promise((resolve) => {
      const timer = setTimeout(() => resolve('no question'), 10000);
      this.page.once('dialog', async (dialog) => {
        clearTimeout(timer);
        await dialog.dismiss();
        resolve(dialog.type());
      });
    });
    await leave();
    check((await asked) === 'beforeunload', what + ' did not ask');
    check(!this.page.isClosed(), what + ' closed the window although the user stayed');
    await this.reach(bodyId);
  }

  // Answers the wizard's own message box, after checking its text and caption.
  async answer(text, caption, button) {
    const box = await this.page.waitForSelector('.velk-overlay[data-box]');
    const shown = await box.$eval('[role=dialog]', (dialog) => ({
      caption: dialog.firstChild.textContent,
      text: dialog.querySelector('[data-text]').textContent,
    }));
    check(shown.text === text && shown.caption === caption,
      'unexpected message box: ' + JSON.stringify(shown));
    await (await box.$('button:text-is("' + button + '")')).click();
  }

  async tick(name) {
    const box = this.page.getByRole('checkbox', { name, exact: true });
    await box.check();
  }

  // Ticks the sites and clicks Next at once while the first tick is held up
  // on its way to velk, which must still see every tick before the Next.
  async tickHeldUpThenNext(names) {
    let held = false;
    const holdFirst = async (route) => {
      if (!held) {
        held = true;
        await new Promise((resolve) => setTimeout(resolve, 500));
      }
      await route.continue();
    };
    await this.page.route('**/event', holdFirst);
    for (const name of names) await this.tick(name);
    await this.click('ButtonOK');
    await this.listPage();
    await this.page.unroute('**/event', holdFirst);
  }

  async providerPage() {
    await this.reach(providers);
    await this.page.waitForSelector('#ProviderList input[type=checkbox]');
  }

  async listPage() {
    await this.reach(statusList);
    await this.page.waitForSelector('#ComponentList table');
  }

  async packetPage() {
    await this.reach(packets);
    await this.page.waitForSelector('#ComponentList table', { state: 'attached' });
  }

  // The straight road from the provider page, with one site ticked, to the
  // installation page.
  async installFor(site) {
    await this.providerPage();
    await this.tick(site);
    await this.click('ButtonOK');
    await this.listPage();
    await this.click('ButtonOK');
    await this.packetPage();
    await this.click('ButtonOK');
  }

  async installationEnds(beginning) {
    await this.reach(installation);
    await this.page.waitForFunction((text) =>
      document.getElementById('Status').textContent.startsWith(text), beginning,
    { timeout: 120000 });
    check(await this.onlyNext(), 'the installation page offers more than Next');
  }

  async onlyNext() {
    const ids = await this.page.$$eval('#buttons input', (inputs) => inputs.map((i) => i.id));
    return ids.join() === 'ButtonOK';
  }

  async seen() {
    return this.page.evaluate(() => window.velkSeen);
  }

  // The final page offers only the way out, which ends the wizard.
  async finalPage() {
    await this.listPage();
    check(!(await this.page.$('#ButtonOK')) && !(await this.page.$('#ButtonBack')),
      'the final page still offers Next or Back');
    check((await this.page.inputValue('#ButtonCancel')) === 'Выход', 'the final page has no Exit');
  }
}

function statusCode(url) {
  return new Promise((resolve, reject) => {
    http.get(url, (response) => {
      response.resume();
      resolve(response.statusCode);
    }).on('error', reject);
  });
}

const firstSite = 'Электронная площадка «Велк-Тест»';
const secondSite = 'Региональные закупки: подпись документов';
const csp = 'Криптопровайдер «Велк-Тест CSP»';
const standard = 'Велк-Тест CSP, полная редакция';
const compact = 'Велк-Тест CSP, облегчённая редакция';
const certificate = 'Корневой сертификат «Велк-Тест»';
const sites = 'Настройка обозревателя для площадки «Велк-Тест»';

async function full(wizard, url) {
  const { page } = wizard;
  await wizard.reach(welcome);
  await wizard.shot('1-welcome');
  await wizard.declineClose(welcome);
  await wizard.click('ButtonOK');

  // Back returns to the welcome page, and Next there fetches the list anew.
  await wizard.providerPage();
  await wizard.declineClose(providers);
  await wizard.click('ButtonBack');
  await wizard.reach(welcome);
  await wizard.click('ButtonOK');

  await wizard.providerPage();
  await wizard.tick(firstSite);
  await wizard.tick(secondSite);
  await wizard.shot('2-providers');
  await wizard.click('ButtonOK');

  // The overview lists what is missing; registry and copy components stay
  // hidden, the browser shows once it is recent enough.
  await wizard.listPage();
  const overview = await wizard.rows();
  check(JSON.stringify(overview.map((cells) => cells[0])) === JSON.stringify(
    ['Операционная система', 'Обозреватель', csp, standard, compact, certificate, sites]),
  'the overview lists ' + JSON.stringify(overview));
  check(await wizard.statusOf(certificate) === 'не установлены', 'the certificate is present');
  check(await wizard.statusOf(sites) === 'не настроен', 'the browser is set up already');
  await wizard.declineClose(statusList);
  await wizard.declineBrowserBack(statusList);
  // Back to the providers, which come unticked, and forth again.
  await wizard.click('ButtonBack');
  await wizard.providerPage();
  check((await page.$$('#ProviderList input:checked')).length === 0, 'the ticks survived Back');
  await wizard.tickHeldUpThenNext([firstSite, secondSite]);
  check(JSON.stringify(await wizard.rows()) === JSON.stringify(overview),
    'a held-up tick came after Next: ' + JSON.stringify(await wizard.rows()));
  await wizard.shot('3-overview');
  await wizard.click('ButtonOK');

  // One radio button per edition, none chosen yet.
  await wizard.packetPage();
  await wizard.declineClose(packets);
  await wizard.click('ButtonBack');
  await wizard.listPage();
  await wizard.click('ButtonOK');
  await wizard.packetPage();
  const radios = page.locator('#ComponentList input[type=radio]');
  check(await radios.count() === 2, 'the editions are not offered as a choice of two');
  const compactRadio = page.locator('#ComponentList tr', { hasText: compact })
    .locator('input[type=radio]');
  await compactRadio.check();
  check(!(await page.locator('#ComponentList tr', { hasText: standard })
    .locator('input[type=radio]').isChecked()), 'both editions are chosen');
  check((await page.inputValue('#ButtonOK')) === 'Установить', 'the button does not install');
  await wizard.shot('4-packets');
  await wizard.click('ButtonOK');

  await wizard.installationEnds('Установка успешно произведена!');
  const seen = await wizard.seen();
  const label = compact + ' 1.0.0 all';
  check(seen.statuses.includes('Загрузка ' + label + '...') &&
    seen.statuses.includes('Установка ' + label + '...'), 'the chosen edition was not installed: ' +
    JSON.stringify(seen.statuses));
  check(seen.statuses.some((text) => text.startsWith('Установка Тестовый удостоверяющий центр')),
    'the certificate import was not shown');
  check(seen.progress.includes(100), 'the download progress never reached 100 %');
  await wizard.shot('5-installation');
  await wizard.click('ButtonOK');

  await wizard.finalPage();
  check(await wizard.statusOf(compact) === 'velk e2e csp compact 1.0.0', 'the edition is missing');
  check(await wizard.statusOf(standard) === 'не установлено', 'the other edition is installed');
  check(await wizard.statusOf(certificate) === 'установлены', 'the certificate is missing');
  check(await wizard.statusOf(sites) === 'настроен', 'the browser is not set up');
  await wizard.shot('6-final');

  // The wizard's server answers nothing without its secret token.
  const origin = new URL(url).origin;
  check(await statusCode(origin + '/page') === 403, 'a page without the token was served');
  check(await statusCode(origin + '/00/page') === 403, 'a page with a wrong token was served');
  await wizard.click('ButtonCancel');
}

async function errors(wizard, _url, served, replacement) {
  const { page } = wizard;
  await wizard.reach(welcome);
  await wizard.click('ButtonOK');
  await wizard.reach(providers);
  const message = await page.waitForSelector('#ProviderList p');
  check(await message.textContent() === 'Неверный формат файла', 'no syntax error is shown');
  check(await message.evaluate((p) => getComputedStyle(p).color) === 'rgb(255, 0, 0)',
    'the syntax error is not red');
  check(await wizard.text('#Titel') === 'Загрузка конфигурационного файла...',
    'the title changed although the list is broken');
  await wizard.shot('errors-1-broken-list');

  // The author fixes the list; the provider page fetches it again after Back.
  fs.copyFileSync(replacement, served);
  await wizard.click('ButtonBack');
  await wizard.reach(welcome);
  await wizard.click('ButtonOK');
  await wizard.installFor('Площадка с неисправным установщиком');
  await wizard.installationEnds('Ошибка в процессе установки: ');
  check(await wizard.text('#Status') === 'Ошибка в процессе установки: Программа вернула ' +
    'значение отличное от нуля. Код ошибки: 1603', 'unexpected failure: ' +
    await wizard.text('#Status'));
  await wizard.shot('errors-2-failed-installer');
  await wizard.click('ButtonOK');
  await wizard.finalPage();
  check(await wizard.statusOf('Программа с неисправным установщиком') === 'не установлено',
    'the failed program counts as installed');
  await wizard.click('ButtonCancel');
}

async function cancel(wizard) {
  const { page } = wizard;
  await wizard.reach(welcome);
  await wizard.click('ButtonOK');
  await wizard.installFor('Площадка с медленным сервером');

  await wizard.reach(installation);
  await page.waitForFunction(() => {
    const bar = document.getElementById('velk-progress');
    return bar && bar.style.display !== 'none' && Number(bar.getAttribute('aria-valuenow')) > 0;
  });
  check(await wizard.text('#Status') === 'Загрузка Медленная загрузка 1.0 all...',
    'the download is not shown');
  await wizard.shot('cancel-1-downloading');
  await wizard.click('ButtonCancel');
  await wizard.answer(exitQuestion, 'Программный комплекс «Тивран»', 'Да');
  const asked = Date.now();
  await page.waitForFunction(() => document.getElementById('Status').textContent ===
    'Ошибка в процессе установки: Отменено пользователем', null, { timeout: 20000 });
  const stopped = Date.now() - asked;
  check(stopped < 5000, 'the cancelled download took ' + stopped + ' ms to stop');
  check((await wizard.seen()).statuses.includes('Установка прервана пользователем'),
    'the cancellation was not confirmed on the page');
  check(await wizard.onlyNext(), 'the cancelled installation offers more than Next');
  check(!(await page.isVisible('#velk-progress')), 'the progress bar stays after the cancellation');
  await wizard.shot('cancel-2-cancelled');
  await wizard.click('ButtonOK');

  await wizard.finalPage();
  check(await wizard.statusOf('Программа с медленной загрузкой') === 'не установлено',
    'the cancelled program counts as installed');
  // Closing the final window ends the wizard without a question (a question
  // would be dismissed and keep velk.exe running).
  const closed = new Promise((resolve, reject) => {
    page.once('close', resolve);
    setTimeout(() => reject(new Error('the final window stays open')), 10000);
  });
  await wizard.closeWindow();
  await closed;
}

// A component file that cannot be read ends the wizard after saying so.
async function brokenComponent(wizard) {
  await wizard.reach(welcome);
  await wizard.click('ButtonOK');
  await wizard.providerPage();
  await wizard.tick('Площадка с испорченным компонентом');
  await wizard.click('ButtonOK');
  await wizard.answer('Неверный формат файла', 'Ошибка', 'ОК');
}

const scenarios = { full, errors, cancel, 'broken-component': brokenComponent };

async function main() {
  const [scenario, url, shots, ...rest] = process.argv.slice(2);
  check(scenarios[scenario], 'no scenario ' + scenario);
  const browser = await chromium.launch({
    executablePath: process.env.VELK_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox'],
  });
  try {
    const page = await browser.newPage({ viewport: { width: 1000, height: 750 } });
    page.setDefaultTimeout(60000);
    await page.addInitScript(recordInstallation);
    await page.goto(url);
    await scenarios[scenario](new Wizard(page, shots), url, ...rest);
  } finally {
    await browser.close();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
