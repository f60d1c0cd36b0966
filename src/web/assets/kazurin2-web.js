// カズリンその２ teachers' pages: sends a choice as soon as it changes, keeps the status
// line current and, on today's classroom, fetches the attempts again whenever the data
// change. No page has a script of its own; this file is all there is.
(function () {
    'use strict';

    document.querySelectorAll('form.autosubmit select').forEach(function (select) {
        select.addEventListener('change', function () {
            select.form.submit();
        });
    });

    var statusUrl = document.body.dataset.status;
    if (!statusUrl) {
        return;
    }
    var token = document.body.dataset.token;
    var live = document.getElementById('live');
    var dot = document.getElementById('status-live');

    function setText(id, text) {
        var element = document.getElementById(id);
        if (element && element.textContent !== text) {
            element.textContent = text;
        }
    }

    function fetchOk(url) {
        return fetch(url, {credentials: 'same-origin', cache: 'no-store'}).then(function (response) {
            if (response.status === 401) {
                window.location.href = '/login';
            }
            if (!response.ok) {
                throw new Error('status ' + response.status);
            }
            return response;
        });
    }

    function poll() {
        fetchOk(statusUrl)
            .then(function (response) {
                return response.json();
            })
            .then(function (status) {
                setText('status-records', status.records);
                setText('status-last', status.last);
                setText('status-notes', status.notes);
                if (dot) {
                    dot.classList.remove('stale');
                }
                if (status.token === token) {
                    return null;
                }
                if (!live) {
                    token = status.token;
                    return null;
                }
                return fetchOk(live.dataset.live)
                    .then(function (response) {
                        return response.text();
                    })
                    .then(function (html) {
                        // The server escapes every text of the fragment.
                        live.innerHTML = html;
                        token = status.token;
                    });
            })
            .catch(function () {
                if (dot) {
                    dot.classList.add('stale');
                }
            })
            .then(function () {
                window.setTimeout(poll, document.hidden ? 5000 : 1000);
            });
    }

    window.setTimeout(poll, 1000);
})();
