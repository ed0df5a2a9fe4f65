<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>BatchMonotorDlg</name>
    <message>
        <source>SoftComponent Type:</source>
        <translation>软元件类型：</translation>
    </message>
    <message>
        <source>Data Type:</source>
        <translation>数据类型：</translation>
    </message>
    <message>
        <source>Show Mode:</source>
        <translation>显示格式：</translation>
    </message>
    <message>
        <source>Begin Address:</source>
        <translation>起始地址：</translation>
    </message>
    <message>
        <source>End Address:</source>
        <translation>结束地址：</translation>
    </message>
    <message>
        <source>Length:</source>
        <translation>长度：</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Binary</source>
        <translation>二进制</translation>
    </message>
    <message>
        <source>Decimal</source>
        <translation>十进制</translation>
    </message>
    <message>
        <source>Hexadecimal</source>
        <translation>十六进制</translation>
    </message>
    <message>
        <source>Begin address out of limt!</source>
        <translation>起始地址超出范围！</translation>
    </message>
    <message>
        <source>End address out of limt!</source>
        <translation>结束地址超出范围！</translation>
    </message>
    <message>
        <source>End address can not less than begin address!</source>
        <translation>结束地址不能小于起始地址！</translation>
    </message>
    <message>
        <source>Tip</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>​​Batch Monitor</source>
        <translation>​​批量监视</translation>
    </message>
</context>
<context>
    <name>NewWatchListDlg</name>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>New Watch List</source>
        <translation>新建监视列表</translation>
    </message>
    <message>
        <source>Watch List:</source>
        <translation>监视列表：</translation>
    </message>
    <message>
        <source>Tip</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Watch List Name Out Of Limit!</source>
        <translation>监视列表名称超出长度限制！</translation>
    </message>
</context>
<context>
    <name>RenameWatchListDlg</name>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Rename Watch List</source>
        <translation>重命名监视列表</translation>
    </message>
    <message>
        <source>Rename WatchList</source>
        <translation>重命名监视列表</translation>
    </message>
    <message>
        <source>To:</source>
        <translation>改为：</translation>
    </message>
    <message>
        <source>Tip</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>New name has been used!</source>
        <translation>新名称已被使用！</translation>
    </message>
</context>
<context>
    <name>WatchListPlugin</name>
    <message>
        <source>Add Watch List</source>
        <translation>添加监视列表</translation>
    </message>
    <message>
        <source>Edit Watch List</source>
        <translation>编辑监视列表</translation>
    </message>
    <message>
        <source>Rename Watch List</source>
        <translation>重命名监视列表</translation>
    </message>
    <message>
        <source>Remove Watch List</source>
        <translation>删除监视列表</translation>
    </message>
    <message>
        <source>Watch List</source>
        <translation>监视列表</translation>
    </message>
    <message>
        <source>Tip</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Sure to remove this watchlist?</source>
        <translation>确定要删除此监视列表吗？</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
    <message>
        <source>Watch List_</source>
        <translation>监视列表_</translation>
    </message>
</context>
<context>
    <name>WatchListWidget</name>
    <message>
        <source>Goto Definition</source>
        <translation>转到定义</translation>
    </message>
    <message>
        <source>Browse CrossReference</source>
        <translation>浏览交叉引用</translation>
    </message>
    <message>
        <source>Insert</source>
        <translation>插入</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Batch Monitor</source>
        <translation>批量监视</translation>
    </message>
</context>
</TS>
