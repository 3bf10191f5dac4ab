// The page functions the program calls, all in one place. Each hands its arguments to the
// screen that shows them; a failure inside a screen becomes a message, never an exception
// back into the program.
(function () {
  'use strict';
  var App = window.App;

  function to(screenId, method) {
    return App.guard(function () {
      var screen = App.screen(screenId);
      return screen[method].apply(screen, arguments);
    });
  }

  var pageFunctions = {
    // printers: the two enumerations, live changes, the count after a load, connections
    enumPrinterCbkByCpp: to('printers', 'onEnumPrinters'),
    notifyPrinterChangeByCpp: to('printers', 'onPrinterChange'),
    notifyPrinterCountByCpp: to('pc', 'onPrinterCount'),
    addPrinterConnectionAsyncCbk: to('printers', 'onConnectionResult'),

    // the USB and network printer scan
    notifyOnlineProgressByCpp: to('find', 'onOnlineProgress'),
    notifyOnlineFinishByCpp: to('find', 'onOnlineFinish'),
    notifyUsbPrinterByCpp: to('find', 'onUsbPrinter'),
    notifyUsbPrinterByCpp2: to('find', 'onUsbDevice'),
    notifyNetworkPrinterByCpp: to('find', 'onNetworkPrinter'),
    notifyOverCountNetDeviceByCpp: to('find', 'onOverCount'),

    // printers shared by other PCs: the scan and one asked host
    notifyShareProgressByCpp: to('find', 'onShareProgress'),
    notifyShareFinishByCpp: to('find', 'onShareFinish'),
    notifySharePrinterByCpp: to('find', 'onSharePrinter'),
    notifySharePrinterByCpp2: to('find', 'onHostAnswer'),

    // repairs
    notifyFinishResetAllByCpp: to('repair', 'onResetAllFinished'),
    queryShareEnvAsyncProgressCbkByCpp: to('repair', 'onShareProgress'),
    queryShareEnvAsyncCbkByCpp: to('repair', 'onShareResults'),
    resetShareEnvProgressCbkByCpp: to('repair', 'onRepairProgress'),
    resetShareEnvResultCbkByCpp: to('repair', 'onRepairFinished'),

    // this PC
    scanCbkByCpp: to('pc', 'onPcInfo'),
    acceptFileBycpp: to('pc', 'onFileDropped'),

    // the window framework: a child window closed; another process or a captured command
    // has something for the page. The page opens no child windows and starts no captures,
    // so these only acknowledge.
    notifyWindowMSGByCpp: function () { return true; },
    ReceiveJSMessageByCpp: function () { return undefined; },
    processDataMsgByCpp: function () { return undefined; }
  };

  Object.keys(pageFunctions).forEach(function (name) {
    window[name] = pageFunctions[name];
  });
  App.pageFunctions = Object.keys(pageFunctions);
})();
